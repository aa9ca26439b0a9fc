#!/usr/bin/env bash
# Installs what is missing, builds Pellwick and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake --preset dev >/dev/null
cmake --build --preset dev --target pellwick
exec build/dev/pellwick "$@"
