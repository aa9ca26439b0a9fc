#!/usr/bin/env bash
# Installs what is missing, builds Pellwick and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
# Compiler cache entries keyed by paths relative to the checkout, so every clone shares them.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake --preset dev >/dev/null
cmake --build --preset dev --target pellwick
exec build/dev/pellwick "$@"
