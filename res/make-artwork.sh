#!/usr/bin/env bash
# Regenerates every picture and sound in res/ and rewrites res/pellwick.qrc.
# Pictures come from tools/DrawArtwork.cpp (built with the dev preset), sounds from sox.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset dev >/dev/null
cmake --build --preset dev --target pellwick_draw_artwork
QT_QPA_PLATFORM=offscreen build/dev/res/pellwick_draw_artwork res
res/make-sounds.sh

cd res
{
    echo '<!DOCTYPE RCC><RCC version="1.0">'
    echo '<qresource prefix="/">'
    for f in icons/*.png bitmaps/*.png bitmaps/*.bmp; do
        echo "    <file>$f</file>"
    done
    echo '</qresource>'
    echo '</RCC>'
} > pellwick.qrc
