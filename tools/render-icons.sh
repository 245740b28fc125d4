#!/bin/sh
# Renders the PNG sizes of the program's icon from its SVG; run after changing the SVG, commit both.
# Needs rsvg-convert (librsvg2-bin, installed by install-deps.sh).
set -eu
cd "$(dirname "$0")/../data/icons"
for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "$size"
    rsvg-convert -w "$size" -h "$size" io.github.taskwyn.Taskwyn.svg -o "$size/io.github.taskwyn.Taskwyn.png"
done
