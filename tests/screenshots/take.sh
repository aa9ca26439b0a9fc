#!/usr/bin/env bash
# Builds the galleries, shows them under a private Xvfb and saves screenshots in shots/.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --preset dev >/dev/null
cmake --build --preset dev --target pellwick_kit_gallery pellwick_chat_shot pellwick_messages_gallery
mkdir -p shots
export GALLERY=$PWD/build/dev/tests/screenshots/pellwick_kit_gallery
export CHAT=$PWD/build/dev/tests/screenshots/pellwick_chat_shot
export MESSAGES=$PWD/build/dev/tests/screenshots/pellwick_messages_gallery
tests/support/with-xvfb.sh bash -c '
    set -eu
    shoot() {
        local name=$1 program=$2
        shift 2
        "$program" "$@" &
        local app=$!
        xdotool search --sync --onlyvisible --pid "$app" >/dev/null
        sleep 1
        import -window root "shots/$name.png"
        kill "$app"
        wait "$app" 2>/dev/null || true
    }
    shoot kit "$GALLERY"
    shoot about "$GALLERY" about
    shoot chat "$CHAT"
    shoot chat-prefs "$CHAT" prefs
    shoot incoming "$MESSAGES"
    shoot send "$MESSAGES" send
    shoot send-too-long "$MESSAGES" too-long
'
ls -l shots/kit.png shots/about.png shots/chat.png shots/chat-prefs.png shots/incoming.png shots/send.png shots/send-too-long.png
