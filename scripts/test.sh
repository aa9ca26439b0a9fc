#!/usr/bin/env bash
# Installs what is missing, builds Pellwick with its tests and runs every test.
# Usage: scripts/test.sh [preset] [extra ctest arguments]; the preset defaults to dev
# (ci when CI is set, which makes warnings errors).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
# Compiler cache entries keyed by paths relative to the checkout, so every clone shares them.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
preset=${1:-}
[ $# -gt 0 ] && shift
[ -n "$preset" ] || { [ -n "${CI:-}" ] && preset=ci || preset=dev; }
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset" "$@"
