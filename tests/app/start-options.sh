#!/usr/bin/env bash
# Usage: start-options.sh <pellwick>. The command line and a start without a display each give
# one line and their exit code, in a private network namespace.
set -uo pipefail
program=$1
isolate=$(for flags in -rn -n; do unshare $flags true 2>/dev/null && echo "unshare $flags" && break; done)
[ -n "$isolate" ] || { echo "SKIP: no private network namespace can be made here (unshare -rn / -n)"; exit 77; }

failures=0
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
# check <name> <code> <stdout> <stderr> <command...>: each stream must match its regex.
check() {
    local out err rc
    out=$($isolate env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "${@:5}" 2>"$errors")
    rc=$? err=$(cat "$errors")
    if [ "$rc" -eq "$2" ] && [[ $out =~ $3 ]] && [[ $err =~ $4 ]] && [ "$(wc -l <"$errors")" -le 1 ]; then
        echo "ok   $1"
    else
        printf 'FAIL %s: exit code %s (expected %s)\n  stdout: %s\n  stderr: %s\n' "$1" "$rc" "$2" "$out" "$err"
        failures=$((failures + 1))
    fi
}

check version 0 '^pellwick [0-9]+\.[0-9]+$' '^$' "$program" --version
check help 0 '^Usage: pellwick \[options\]' '^$' "$program" --help
check "unknown option" 64 '^$' "^pellwick: Unknown option 'frobnicate' \(see pellwick --help\)$" "$program" --frobnicate
check "stray argument" 64 '^$' "^pellwick: unexpected argument 'file.txt' \(see pellwick --help\)$" "$program" file.txt
check "no display" 69 '^$' '^pellwick: cannot open a display; Pellwick needs a graphical session$' "$program"
check "display that is not there" 69 '^$' 'needs a graphical session$' DISPLAY=:97 "$program"
exit $((failures > 0))
