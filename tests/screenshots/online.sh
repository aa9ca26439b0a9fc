#!/usr/bin/env bash
# Runs the program under a private Xvfb with a tray host and a few stand-in colleagues, and
# saves screenshots of the Online window (one user in the chat room, a new user making the
# tray flash) and of the tray menu in shots/.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --preset dev >/dev/null
cmake --build --preset dev --target pellwick_host
mkdir -p shots
# The program under the test host, which reports its Online list on standard output.
export PROGRAM=$PWD/build/dev/tests/system/pellwick_host PEERS=$PWD/tests/screenshots/peers.py
WITH_TRAY=1 tests/support/with-xvfb.sh bash -c '
    set -eu
    # The program announces itself on its port: only inside a private network.
    [ "$PELLWICK_PRIVATE_NETWORK" = inside ] || { echo "SKIP: no private network namespace" >&2; exit 77; }
    export XDG_CONFIG_HOME=$(mktemp -d) REPORTS=$(mktemp)
    listed() { grep -q "^list .* $1=" "$REPORTS"; }
    exec {hold}< <(exec sleep infinity); holder=$!  # the host ends with its standard input
    "$PROGRAM" <&$hold >"$REPORTS" & app=$!
    "$PEERS" "Анна" "boris:chat" "Zoë" & peers=$!
    for _ in $(seq 1 100); do w=$(xdotool search --name "^panel$" getwindowgeometry 2>/dev/null | sed -n "s/.*Geometry: \([0-9]*\)x.*/\1/p"); [ "${w:-0}" -ge 16 ] && break; sleep 0.1; done
    panel=$(xdotool search --name "^panel$" | head -1)
    eval "$(xdotool getwindowgeometry --shell "$panel")"
    icon_x=$((X + WIDTH / 2)); icon_y=$((Y + HEIGHT / 2))
    sleep 4                                          # the first new-user flashes run out
    xdotool mousemove $icon_x $icon_y click 1        # the Online window
    until online=$(xdotool search --onlyvisible --name "^Online$"); do sleep 0.1; done
    xdotool windowmove "$online" 1000 420 windowsize "$online" 200 300
    until listed "Анна"; do sleep 0.1; done
    "$PEERS" "Ирина" & newcomer=$!                   # a new user: the tray flashes
    for i in 1 2 3 4 5 6 7 8; do                       # the tray icon over two seconds
        import -window root "shots/online-$i.png"
        sleep 0.2
    done
    convert $(for i in 1 2 3 4 5 6 7 8; do echo "shots/online-$i.png[32x32+$((icon_x - 16))+$((icon_y - 16))]"; done) \
        +append -scale 400% shots/online-tray-flash.png
    sleep 0.5
    import -window root shots/online.png
    rm -f shots/online-?.png
    sleep 2                                           # no menu while the tray flashes
    xdotool mousemove $icon_x $icon_y click 3        # the tray menu
    sleep 1
    import -window root shots/online-menu.png
    kill $newcomer $peers; kill -TERM $app; wait $app || true; kill $holder
'
ls -l shots/online.png shots/online-tray-flash.png shots/online-menu.png
