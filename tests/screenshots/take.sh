#!/usr/bin/env bash
# Builds the gallery, shows its windows under a private Xvfb with the openbox window manager and
# saves screenshots in shots/, each at scale 1 and 2 (QT_SCALE_FACTOR) with a light and a dark
# palette: shots/<window>-<light|dark>-x<scale>.png. Everything runs in a private network namespace (the program
# opens its port); without the rights for one the script stops, saying so.
set -euo pipefail
cd "$(dirname "$0")/../.."
if [ "${PELLWICK_IN_NETNS:-0}" != 1 ]; then
    unshare -n true 2>/dev/null || { echo "take.sh: needs a private network namespace (run as root)" >&2; exit 1; }
    exec unshare -n env PELLWICK_IN_NETNS=1 bash -c 'ip link set lo up && exec "$0" "$@"' "$0" "$@"
fi
cmake --preset dev >/dev/null
cmake --build --preset dev --target pellwick_gallery pellwick
mkdir -p shots
export GALLERY=$PWD/build/dev/tests/screenshots/pellwick_gallery PROGRAM=$PWD/build/dev/pellwick
XVFB_SCREEN=1920x1200x24 WITH_WM=1 tests/support/with-xvfb.sh bash -c '
    set -eu
    export XDG_CONFIG_HOME=$(mktemp -d)
    shoot() {
        local name=$1 wait=$2
        shift 2
        "$@" &
        local app=$!
        xdotool search --sync --onlyvisible --pid "$app" >/dev/null
        sleep "$wait"
        import -window root "shots/$name.png"
        kill "$app"
        wait "$app" 2>/dev/null || true
    }
    for scale in 1 2; do
        for palette in light dark; do
            for mode in kit about chat chat-prefs chat-notice incoming send send-prefs; do
                shoot "$mode-$palette-x$scale" 1 env QT_SCALE_FACTOR=$scale "$GALLERY" "$mode" "$palette"
            done
        done
        # No notification area here: the program shows its stand-in window.
        shoot "stand-in-x$scale" 2 env QT_SCALE_FACTOR=$scale "$PROGRAM"
    done
'
ls -l shots/*.png
