#!/usr/bin/env bash
# Runs a test under a private Xvfb in a network namespace of its own (private-network.sh), with
# the trayer tray host if WITH_TRAY=1 and the openbox window manager if WITH_WM=1 (frames,
# placement and activation are real only under one); skips (77) when one is missing. The screen
# is 1280x800 unless XVFB_SCREEN says otherwise.
set -u
command -v Xvfb >/dev/null 2>&1 || { echo "SKIP: Xvfb is not installed" >&2; exit 77; }

source "$(dirname "$0")/private-network.sh"

dir=$(mktemp -d)
# -noreset: else it resets when its last client (a short xdotool call) leaves, refusing whoever connects.
Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1280x800x24}" -nolisten tcp -noreset 3>"$dir/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 1 100); do [ -s "$dir/display" ] && break; sleep 0.05; done
if [ ! -s "$dir/display" ]; then kill "$xvfb" 2>/dev/null; rm -rf "$dir"; echo "Xvfb did not start" >&2; exit 1; fi
export DISPLAY=":$(cat "$dir/display")" QT_QPA_PLATFORM=xcb

wm="" tray=""
if [ "${WITH_WM:-0}" = 1 ]; then
    command -v openbox >/dev/null 2>&1 || { kill "$xvfb" 2>/dev/null; rm -rf "$dir"; echo "SKIP: openbox is not installed" >&2; exit 77; }
    openbox --sm-disable >/dev/null 2>&1 &
    wm=$!
    # Ready once it has announced itself on the root window.
    for _ in $(seq 1 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.05; done
fi

if [ "${WITH_TRAY:-0}" = 1 ] && command -v trayer >/dev/null 2>&1; then
    trayer --edge bottom --align right --widthtype request --height 24 >/dev/null 2>&1 &
    tray=$!
    for _ in $(seq 1 50); do xdotool search --name '^panel$' >/dev/null 2>&1 && break; sleep 0.1; done
fi

"$@"
rc=$?
kill $tray $wm "$xvfb" 2>/dev/null
wait 2>/dev/null
rm -rf "$dir"
exit $rc
