#!/usr/bin/env bash
# Runs the program under a private Xvfb with a tray host and a few stand-in colleagues (one of
# them in the chat room), and saves screenshots of the Online window and of the tray menu in
# shots/. The program announces itself on its port: with-xvfb.sh runs it in a private network.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --preset dev >/dev/null
cmake --build --preset dev --target pellwick
mkdir -p shots
export PROGRAM=$PWD/build/dev/pellwick PEERS=$PWD/tests/screenshots/peers.py
WITH_TRAY=1 tests/support/with-xvfb.sh bash -c '
    set -eu
    [ "$PELLWICK_PRIVATE_NETWORK" = inside ] || { echo "SKIP: no private network namespace" >&2; exit 77; }
    export XDG_CONFIG_HOME=$(mktemp -d)
    "$PROGRAM" & app=$!
    "$PEERS" "Анна" "boris:chat" "Zoë" & peers=$!
    sleep 5                                          # docked, peers listed, the new-user flashes over
    eval "$(xdotool getwindowgeometry --shell "$(xdotool search --name "^panel$" | head -1)")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1   # the Online window
    until online=$(xdotool search --onlyvisible --name "^Online$"); do sleep 0.1; done
    xdotool windowmove "$online" 1000 420 windowsize "$online" 200 300
    sleep 1
    import -window root shots/online.png
    xdotool click 3                                  # the tray menu
    sleep 1
    import -window root shots/online-menu.png
    kill $peers; kill -TERM $app; wait $app || true
'
ls -l shots/online.png shots/online-menu.png
