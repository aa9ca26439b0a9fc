#!/usr/bin/env bash
# Runs every test N times in a fresh clone of this checkout's HEAD, the first B runs with an
# uncached build of another clone going on beside them (the load of a newcomer's first run),
# and prints for each test how often it failed, in which runs, and its times; each run's ctest
# output is kept as /tmp/pellwick-repeat-run<N>.log.
# Usage: scripts/test-repeat.sh [-n runs] [-b runs-with-a-build-beside] [-- ctest arguments...]
#   scripts/test-repeat.sh -n 10 -b 5             the whole suite ten times, five of them loaded
#   scripts/test-repeat.sh -n 20 -- -R net_tests  one test binary twenty times
set -euo pipefail
runs=3 loaded=0
while getopts n:b: option; do
    case $option in
    n) runs=$OPTARG ;;
    b) loaded=$OPTARG ;;
    *) echo "usage: $0 [-n runs] [-b runs-with-a-build-beside] [-- ctest arguments...]" >&2; exit 64 ;;
    esac
done
shift $((OPTIND - 1))
origin=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
builder=""
# The builder's status is that of a killed process: under set -e a bare wait would end the script.
stop_builder() { [ -z "$builder" ] || { kill -- "-$builder" 2>/dev/null; wait "$builder" 2>/dev/null || true; builder=""; }; }
trap 'stop_builder; rm -rf "$work"' EXIT

git clone -q "$origin" "$work/suite"
cd "$work/suite"
scripts/bootstrap.sh
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake --preset dev >/dev/null
cmake --build --preset dev >"$work/build.log" 2>&1 || { tail -20 "$work/build.log"; exit 1; }

for run in $(seq 1 "$runs"); do
    note=""
    if [ "$run" -le "$loaded" ]; then
        # Its own process group, so that it ends with everything it started.
        [ -d "$work/load" ] || git clone -q "$origin" "$work/load"
        setsid bash -c 'cd "$1"; while :; do rm -rf build/dev
            CCACHE_DISABLE=1 cmake --preset dev && CCACHE_DISABLE=1 cmake --build --preset dev; done' \
            load "$work/load" >/dev/null 2>&1 &
        builder=$!
        note=" beside an uncached build"
    fi
    start=$(date +%s)
    ctest --preset dev "$@" >"$work/run$run.log" 2>&1 || true
    stop_builder
    echo "run $run$note: $(grep -E 'tests passed' "$work/run$run.log" || echo 'no summary'), $(($(date +%s) - start)) s"
    cp "$work/run$run.log" "${TMPDIR:-/tmp}/pellwick-repeat-run$run.log"
done

# "  3/19 Test  #3: net_tests ..........   Passed    4.12 sec" (or ***Failed, ***Timeout, ...)
echo
for run in $(seq 1 "$runs"); do sed "s/^/$run /" "$work/run$run.log"; done | awk '
    / Test +#[0-9]+: / {
        run = $1
        name = $0; sub(/.*Test +#[0-9]+: /, "", name); sub(/ .*/, "", name)
        if (!(name in count)) order[++tests] = name
        count[name]++
        if ($0 ~ /Skipped|Not Run/) skipped[name]++
        else if ($0 !~ /Passed/) { failed[name]++; runs[name] = runs[name] " " run }
        t = $(NF - 1) + 0; total[name] += t
        if (!(name in low) || t < low[name]) low[name] = t
        if (t > high[name]) high[name] = t
    }
    END {
        printf "%-32s %5s %6s %8s %8s %8s  %s\n", "test", "runs", "failed", "min s", "mean s", "max s", "failed in runs"
        for (i = 1; i <= tests; i++) {
            n = order[i]
            printf "%-32s %5d %6d %8.2f %8.2f %8.2f  %s%s\n", n, count[n], failed[n], low[n], total[n] / count[n],
                   high[n], runs[n], skipped[n] ? " (skipped " skipped[n] ")" : ""
        }
    }'
