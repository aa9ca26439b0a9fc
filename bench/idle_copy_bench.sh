#!/usr/bin/env bash
# An idle copy alone on its network (a namespace of its own with only loopback): start-up time
# from exec to the tray icon docked, then CPU, wake-ups and resident memory over a quiet stretch.
# Usage: bench/idle_copy_bench.sh PROGRAM [seconds]   (60 s by default)
set -euo pipefail
source "$(dirname "$0")/../tests/support/private-network.sh"
[ "$PELLWICK_PRIVATE_NETWORK" = inside ] || { echo "refused: the program is started only in a private network" >&2; exit 1; }
program=$(realpath "$1")
seconds=${2:-60}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")" QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$work/config"
trayer --edge bottom --align right --widthtype request --height 24 >/dev/null 2>&1 &
for _ in $(seq 1 100); do xdotool search --name '^panel$' >/dev/null 2>&1 && break; sleep 0.05; done
panel=$(xdotool search --name '^panel$' | head -1)
width() { xdotool getwindowgeometry "$panel" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p'; }
empty=$(width)

start=$(date +%s%N)
"$program" &
pid=$!
while [ "$(width)" = "$empty" ]; do sleep 0.002; done
echo "start-up, exec to tray icon docked: $(( ($(date +%s%N) - start) / 1000000 )) ms"

# Let start-up settle: the first presence rounds and the tray's flash for the own arrival
# (six icon changes, 500 ms apart) are over after a few seconds.
sleep 8
ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
switches() { cat /proc/$pid/task/*/status | awk '/^voluntary_ctxt_switches/ {s += $2} END {print s}'; }
# Per thread: its name and its voluntary switches (each a sleep that ended, a wake-up).
per_thread() { for t in /proc/$pid/task/*; do echo "$(basename "$t") $(cat "$t/comm" | tr ' ' _) $(awk '/^voluntary_ctxt_switches/ {print $2}' "$t/status")"; done; }
cpu0=$(cpu); sw0=$(switches); per_thread >"$work/threads0"
sleep "$seconds"
cpu1=$(cpu); sw1=$(switches); per_thread >"$work/threads1"
join "$work/threads0" "$work/threads1" | awk -v s="$seconds" '{w = ($5 - $3) / s; if (w > 0) printf "  thread %s: %.2f wake-ups per second\n", $2, w}'
rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
echo "over ${seconds} s: CPU $(awk -v c=$((cpu1 - cpu0)) -v t="$ticks" -v s="$seconds" 'BEGIN {printf "%.3f", 100 * c / t / s}') %," \
     "wake-ups $(awk -v w=$((sw1 - sw0)) -v s="$seconds" 'BEGIN {printf "%.2f", w / s}') per second (all threads)," \
     "resident memory $((rss / 1024)) MB"
kill -TERM "$pid"; wait "$pid" || true
