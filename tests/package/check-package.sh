#!/usr/bin/env bash
# Builds the Debian package and checks its files, dependencies, maintainer script, lintian,
# desktop entry, metainfo, and the autostart entry of a first start in a private network
# (without a sound server, which must cost no line on stderr).
set -euo pipefail
src=${PELLWICK_SOURCE_DIR:?}
id=org.pellwick.Pellwick
for tool in dpkg-buildpackage dh lintian desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing (scripts/bootstrap.sh installs it)"; exit 77; }
done
isolate=$(for flags in -rn -n; do unshare $flags true 2>/dev/null && echo "unshare $flags" && break; done)
[ -n "$isolate" ] || { echo "SKIP: no private network namespace can be made here (unshare -rn / -n)"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$src/scripts/package.sh" "$work" >"$work/build.log" 2>&1 || { tail -30 "$work/build.log"; fail "scripts/package.sh"; }
debs=("$work"/pellwick_*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one package, found: ${debs[*]}"
deb=${debs[0]}
[ "$(basename "$deb")" = "pellwick_$(dpkg-deb -f "$deb" Version)_$(dpkg-deb -f "$deb" Architecture).deb" ] ||
    fail "package named $(basename "$deb")"

# Contents: the files a desktop needs, nothing from /usr/local or the build tree.
dpkg-deb -c "$deb" | awk '{print $NF}' >"$work/contents"
for file in ./usr/bin/pellwick "./usr/share/applications/$id.desktop" "./usr/share/metainfo/$id.metainfo.xml" \
    ./usr/share/man/man1/pellwick.1.gz ./usr/share/doc/pellwick/copyright ./usr/share/doc/pellwick/changelog.gz \
    ./usr/share/pellwick/sounds/180.wav ./usr/share/pellwick/sounds/181.wav ./usr/share/pellwick/sounds/183.wav \
    "./usr/share/icons/hicolor/scalable/apps/$id.svg" \
    $(for size in 16 22 24 32 48 64 128 256; do echo "./usr/share/icons/hicolor/${size}x${size}/apps/$id.png"; done); do
    grep -qxF "$file" "$work/contents" || fail "$file is not in the package"
done
! grep -E '^\./usr/local/|/build/|/work/|/tmp/' "$work/contents" || fail "files outside the installed tree"

# Depends from the library scan alone, no multimedia framework; the rest is recommended.
depends=$(dpkg-deb -f "$deb" Depends) recommends=$(dpkg-deb -f "$deb" Recommends)
for need in libqt6widgets6 libqt6dbus6 libcanberra0; do
    [[ $depends == *"$need"* ]] || fail "Depends lacks $need: $depends"
done
[[ $depends != *multimedia* ]] || fail "Depends names Qt Multimedia: $depends"
for need in libcanberra-pulse libcap2-bin qt6-qpa-plugins qt6-wayland; do
    [[ $recommends == *"$need"* ]] || fail "Recommends lacks $need: $recommends"
done
# The capability, and nothing else, in postinst.
dpkg-deb -e "$deb" "$work/control"
grep -q 'setcap cap_net_bind_service=+ep /usr/bin/pellwick' "$work/control/postinst" || fail "postinst grants no capability"
! grep -v '^ *#' "$work/control/postinst" | grep -Eq 'ufw|iptables|nft|firewall|update-desktop-database|icon-cache' ||
    fail "postinst opens the firewall or updates caches"
# postrm, if any, is debhelper's for the relay's unit: nothing of the users' files.
[ ! -e "$work/control/postrm" ] || ! grep -Eq 'HOME|\.config|autostart|registry' "$work/control/postrm" ||
    fail "postrm would touch what the user keeps"

lintian --tag-display-limit 0 "$work"/pellwick_*.changes "$deb" >"$work/lintian" 2>&1 || true
sed 's/^/     /' "$work/lintian"
! grep -q '^[EW]:' "$work/lintian" || fail "lintian reports errors or warnings"
dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --pedantic --no-net "$work/root/usr/share/metainfo/$id.metainfo.xml" ||
    fail "appstreamcli validate --pedantic"

# A first start of the unpacked program by a user with nothing in the home directory.
home=$work/home entry=$work/home/.config/autostart/$id.desktop
mkdir -p "$home"
exe=$(realpath "$work/root/usr/bin/pellwick")
$isolate env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen \
    bash -c 'ip link set lo up 2>/dev/null; "$1" & pid=$!
             for _ in $(seq 200); do [ -s "$2" ] && break; sleep 0.1; done
             sleep 3   # the rest of the start-up, up to the SIGTERM handler
             kill -TERM "$pid"; wait "$pid"' _ "$exe" "$entry" \
    >"$work/run.log" 2>&1 || { cat "$work/run.log"; fail "the unpacked program did not start and end cleanly"; }
[ -s "$entry" ] || fail "no autostart entry $entry"
grep -qxF "Exec=\"$exe\"" "$entry" || { cat "$entry"; fail "the autostart entry does not name $exe"; }
grep -qxF "Icon=$id" "$entry" || fail "the autostart entry does not name $id"
grep -qxF "TryExec=$exe" "$entry" || fail "the autostart entry has no TryExec=$exe"
desktop-file-validate "$entry" || fail "desktop-file-validate on the autostart entry"
! grep -Ei 'pulse|alsa|canberra|audio|sound' "$work/run.log" || fail "sound complaints without a sound server"
echo "ok   $(basename "$deb"): contents, control ($depends), lintian, desktop entry, metainfo, first start"
