#!/usr/bin/env bash
# Installs what is missing, builds Pellwick in Release and makes the Debian package
# pellwick_<version>_<arch>.deb. Usage: scripts/package.sh [output directory] (default: build/).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
# Compiler cache entries keyed by paths relative to the checkout, so every clone shares them.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
out=$(realpath -m "${1:-build}")
mkdir -p "$out"
cmake --preset package >/dev/null
cmake --build --preset package
# fakeroot: files owned by root in the package, whoever builds it.
(cd build/package && fakeroot cpack -G DEB -B "$out" >/dev/null)
rm -rf "$out/_CPack_Packages"
ls "$out"/pellwick_*.deb
