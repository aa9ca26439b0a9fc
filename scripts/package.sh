#!/usr/bin/env bash
# Installs what is missing and builds the Debian package from debian/ with dpkg-buildpackage,
# in a clean copy of the source tree. Usage: scripts/package.sh [output directory] (default:
# build/); it receives pellwick_<version>_<arch>.deb, its debug symbols, .buildinfo and .changes.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
out=$(realpath -m "${1:-build}")
mkdir -p "$out"
# A copy without build trees, so that nothing from an earlier build finds its way in. Its path
# stays the same from build to build: it is part of the compiler's command line, and so of the
# compiler cache's keys.
stage=$PWD/build/deb
rm -rf "$stage"
mkdir -p "$stage/pellwick"
tar -C . --exclude=./.git --exclude=./build --exclude=./shots --exclude='./obj-*' -cf - . | tar -C "$stage/pellwick" -xf -
# debhelper gives the build a HOME of its own: the compiler cache is named here. No base_dir:
# ccache would write relative source paths into the debug information, so a build with the
# cache would differ from one without it.
if command -v ccache >/dev/null; then
    export CCACHE_DIR=${CCACHE_DIR:-$(ccache -k cache_dir)}
    unset CCACHE_BASEDIR CCACHE_NOHASHDIR
fi
(cd "$stage/pellwick" && dpkg-buildpackage -us -uc -b >"$stage/build.log" 2>&1) || { tail -40 "$stage/build.log" >&2; exit 1; }
for file in "$stage"/pellwick*_*.*deb "$stage"/pellwick_*.buildinfo "$stage"/pellwick_*.changes; do
    mv "$file" "$out/"
done
rm -rf "$stage"
ls "$out"/pellwick_*.deb
