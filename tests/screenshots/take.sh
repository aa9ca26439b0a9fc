#!/usr/bin/env bash
# Builds the galleries, shows them under a private Xvfb with the openbox window manager and
# saves screenshots in shots/. Everything runs in a private network namespace (the Online
# window opens the program's port); without the rights for one the script stops, saying so.
set -euo pipefail
cd "$(dirname "$0")/../.."
if [ "${PELLWICK_IN_NETNS:-0}" != 1 ]; then
    unshare -n true 2>/dev/null || { echo "take.sh: needs a private network namespace (run as root)" >&2; exit 1; }
    exec unshare -n env PELLWICK_IN_NETNS=1 bash -c 'ip link set lo up && exec "$0" "$@"' "$0" "$@"
fi
cmake --preset dev >/dev/null
cmake --build --preset dev --target pellwick_kit_gallery pellwick_chat_shot pellwick_messages_gallery pellwick_desktop_shot
mkdir -p shots
export GALLERY=$PWD/build/dev/tests/screenshots/pellwick_kit_gallery
export CHAT=$PWD/build/dev/tests/screenshots/pellwick_chat_shot
export MESSAGES=$PWD/build/dev/tests/screenshots/pellwick_messages_gallery
export DESKTOP=$PWD/build/dev/tests/screenshots/pellwick_desktop_shot
WITH_WM=1 tests/support/with-xvfb.sh bash -c '
    set -eu
    export XDG_CONFIG_HOME=$(mktemp -d)
    shoot() {
        local name=$1 wait=$2 program=$3
        shift 3
        "$program" "$@" &
        local app=$!
        xdotool search --sync --onlyvisible --pid "$app" >/dev/null
        sleep "$wait"
        import -window root "shots/$name.png"
        kill "$app"
        wait "$app" 2>/dev/null || true
    }
    shoot kit 1 "$GALLERY"
    shoot about 1 "$GALLERY" about
    shoot chat 1 "$CHAT"
    shoot chat-prefs 1 "$CHAT" prefs
    shoot chat-notice 1 "$CHAT" notice
    shoot incoming 1 "$MESSAGES"
    shoot incoming-259 1 "$MESSAGES" long
    shoot incoming-10-lines 1 "$MESSAGES" lines
    shoot incoming-49-sender 1 "$MESSAGES" sender
    shoot font-picker 2 "$MESSAGES" font
    shoot send 1 "$MESSAGES" send
    shoot send-too-long 1 "$MESSAGES" too-long
    shoot online-ten-restarts 7 "$DESKTOP"
    shoot stand-in 2 "$DESKTOP" standin
'
ls -l shots/*.png
