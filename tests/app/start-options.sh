#!/usr/bin/env bash
# The command line and a start without a display, as a user meets them: each gives its one
# line and its exit code, and nothing aborts. The program runs in a private network namespace.
# Usage: start-options.sh <pellwick executable>
set -uo pipefail
program=$1
if ! unshare -rn true 2>/dev/null && ! unshare -n true 2>/dev/null; then
    echo "SKIP: no private network namespace can be made here (unshare -rn / -n)"
    exit 77
fi
isolate=(unshare -rn)
unshare -rn true 2>/dev/null || isolate=(unshare -n)

failures=0
# check <name> <expected code> <stdout pattern> <stderr pattern> <env and arguments...>
# An empty pattern means the stream must stay empty.
check() {
    local name=$1 code=$2 out_pattern=$3 err_pattern=$4
    shift 4
    local out err rc
    out=$(mktemp) err=$(mktemp)
    "${isolate[@]}" env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" >"$out" 2>"$err"
    rc=$?
    local problem=""
    [ "$rc" -eq "$code" ] || problem+=" exit code $rc, expected $code;"
    if [ -n "$out_pattern" ]; then
        grep -Eq "$out_pattern" "$out" || problem+=" stdout does not match '$out_pattern';"
    else
        [ ! -s "$out" ] || problem+=" stdout not empty;"
    fi
    if [ -n "$err_pattern" ]; then
        [ "$(wc -l <"$err")" -eq 1 ] && grep -Eq "$err_pattern" "$err" ||
            problem+=" stderr is not one line matching '$err_pattern';"
    else
        [ ! -s "$err" ] || problem+=" stderr not empty;"
    fi
    if [ -n "$problem" ]; then
        echo "FAIL $name:$problem"
        sed 's/^/  stdout: /' "$out"
        sed 's/^/  stderr: /' "$err"
        failures=$((failures + 1))
    else
        echo "ok   $name"
    fi
    rm -f "$out" "$err"
}

check version 0 '^pellwick [0-9]+\.[0-9]+$' '' "$program" --version
check help 0 '^Usage: pellwick \[options\]$' '' "$program" --help
check "unknown option" 64 '' "^pellwick: Unknown option 'frobnicate' \(see pellwick --help\)$" "$program" --frobnicate
check "stray argument" 64 '' "^pellwick: unexpected argument 'file.txt' \(see pellwick --help\)$" "$program" file.txt
check "no display" 69 '' '^pellwick: cannot open a display; Pellwick needs a graphical session$' "$program"
check "display that is not there" 69 '' 'needs a graphical session$' DISPLAY=:97 "$program"
exit $((failures > 0))
