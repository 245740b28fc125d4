#!/bin/sh
# Installs the build into a scratch prefix and checks what a desktop reads from it: the menu entry,
# the metainfo (alone and together with the entry and the icons), the icon sizes, and that the
# installed program starts.
# Usage: install_test.sh BUILD_DIR APP_ID
set -eu
build=$1
id=$2
prefix=$(pwd)/prefix
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

desktop-file-validate "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"
appstreamcli validate-tree --no-net "$prefix"

# A PNG's width and height are the big-endian words at bytes 16 and 20; a desktop drops an icon
# whose size does not match its folder.
for size in 16 22 24 32 48 64 128 256; do
    png="$prefix/share/icons/hicolor/${size}x$size/apps/$id.png"
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
    [ "$dims" = "${size}x$size" ] || { echo "$png is $dims"; exit 1; }
done
test -s "$prefix/share/icons/hicolor/scalable/apps/$id.svg"

"$prefix/bin/taskwyn" --version
