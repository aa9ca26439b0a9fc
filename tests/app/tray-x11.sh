#!/usr/bin/env bash
# Usage: tray-x11.sh <pellwick>, under with-xvfb.sh, with a tray host (WITH_TRAY=1) or none. The icon
# docks (no stand-in beside it) or the stand-in shows lower right; a left click shows the Online
# window lower right (above the stand-in, not over it), a right one the menu, whose Shutdown ends
# the program with 0.
set -u
# The program announces itself on its port: never on the machine's own network.
[ "${PELLWICK_PRIVATE_NETWORK:-}" = inside ] || { echo "SKIP: no private network namespace"; exit 77; }
[ "${WITH_TRAY:-0}" = 0 ] || command -v trayer >/dev/null || { echo "SKIP: trayer is not installed"; exit 77; }
config=$(mktemp -d)
# Not the first start: the first start's hint would count as one more window.
mkdir -p "$config/pellwick"
printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Ravelstone\\Pellwick\\Preferences\\Notices]\n"TrayHint"="1"\n' \
    >"$config/pellwick/registry.reg"
XDG_CONFIG_HOME=$config "$1" & program=$!
trap 'kill $program 2>/dev/null; rm -rf "$config"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# retry <tries> <command...>: runs the command every 0.1 s until it succeeds.
retry() { local tries=$1; shift; until "$@"; do tries=$((tries - 1)); [ $tries -gt 0 ] || return 1; sleep 0.1; done; }
# shown <name>: finds the first visible window of that name and sets X, Y, WIDTH and HEIGHT.
shown() {
    window=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
    [ -n "$window" ] && eval "$(xdotool getwindowgeometry --shell "$window")"
}
lower_right() { [ "$X" -gt 640 ] && [ "$Y" -gt 400 ]; }
# click <button> <check...>: clicks the icon until the check holds (a click while the tray host
# still embeds the icon is lost, a right click while it flashes is refused).
click() { xdotool mousemove "$icon_x" "$icon_y" click "$1"; retry 7 "${@:2}"; }
windows() { xdotool search --onlyvisible --class pellwick 2>/dev/null | wc -l; }
more_windows() { [ "$(windows)" -gt "$before" ]; }

if [ "${WITH_TRAY:-0}" = 1 ]; then icon=panel; else icon=Pellwick; fi  # the panel is the docked icons
docked() { shown "$icon" && [ "$WIDTH" -ge 16 ]; }
retry 100 docked || fail "no $icon window"
icon_x=$((X + WIDTH / 2)) icon_y=$((Y + HEIGHT / 2))
if [ "$icon" = panel ]; then ! shown Pellwick || fail "a stand-in beside the tray"; else lower_right || fail "stand-in at $X,$Y"; fi
icon_top=$Y icon_left=$X icon_right=$((X + WIDTH))

retry 20 click 1 shown Online || fail "no Online window"
lower_right || fail "Online window at $X,$Y"
if [ "$icon" = Pellwick ]; then
    # The window manager may settle the frame a moment later: the last word counts.
    clear_of_stand_in() { shown Online && { [ $((Y + HEIGHT)) -le "$icon_top" ] || [ $((X + WIDTH)) -le "$icon_left" ] || [ "$X" -ge "$icon_right" ]; }; }
    sleep 1
    clear_of_stand_in || fail "the Online window ($X,$Y ${WIDTH}x$HEIGHT) covers the stand-in at $icon_left,$icon_top"
fi
# The desktop ties the windows to the menu entry by the class that the entry names.
class=$(sed -n 's/^StartupWMClass=//p' "$(dirname "$0")/../../res/desktop/org.pellwick.Pellwick.desktop")
xprop -id "$window" WM_CLASS | grep -q "= \"$class\", \"$class\"$" || fail "window class $(xprop -id "$window" WM_CLASS)"
# Escape through the focus: through --window a sent release can leave Escape held down.
escape() { ! shown Online || { timeout 3 xdotool windowfocus --sync "$window" && xdotool key Escape; } ; ! shown Online; }
retry 30 escape || fail "the Online window stays"

before=$(windows)
retry 20 click 3 more_windows || fail "no menu"
xdotool key Up Return
retry 50 eval '! kill -0 $program 2>/dev/null' || fail "Shutdown did not end the program"
wait $program || fail "the program ended with $?"
echo "ok   reached through the $icon window, ended with Shutdown"
