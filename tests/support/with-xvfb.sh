#!/usr/bin/env bash
# Runs a test under a private Xvfb in a network namespace of its own, with the trayer tray host
# if WITH_TRAY=1 and the openbox window manager if WITH_WM=1; skips (77) when one is missing.
set -u
command -v Xvfb >/dev/null 2>&1 || { echo "SKIP: Xvfb is not installed" >&2; exit 77; }
[ "${WITH_WM:-0}" = 1 ] && ! command -v openbox >/dev/null 2>&1 && { echo "SKIP: openbox is not installed" >&2; exit 77; }

source "$(dirname "$0")/private-network.sh"

dir=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$dir"' EXIT
# in_background <command...>: a helper that ends with the test; until_true <command...>: waits up to 5 s.
in_background() { "$@" >/dev/null 2>&1 & pids+=($!); }
until_true() { for _ in $(seq 1 100); do "$@" && return; sleep 0.05; done; false; }

in_background Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$dir/display"
until_true test -s "$dir/display" || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$dir/display")" QT_QPA_PLATFORM=xcb
if [ "${WITH_WM:-0}" = 1 ]; then
    in_background openbox --sm-disable
    # Ready once it has announced itself on the root window.
    until_true eval 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"'
fi
if [ "${WITH_TRAY:-0}" = 1 ] && command -v trayer >/dev/null 2>&1; then
    in_background trayer --edge bottom --align right --widthtype request --height 24
fi

"$@"
