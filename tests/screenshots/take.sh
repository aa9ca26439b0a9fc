#!/usr/bin/env bash
# Builds the gallery, shows its windows under a private Xvfb with the openbox window manager and
# saves screenshots in shots/. Everything runs in a private network namespace (the program
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
WITH_WM=1 tests/support/with-xvfb.sh bash -c '
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
    for mode in kit about chat chat-prefs chat-notice incoming send; do
        shoot "$mode" 1 "$GALLERY" "$mode"
    done
    shoot stand-in 2 "$PROGRAM"   # no notification area here: the program shows its stand-in window
'
ls -l shots/*.png
