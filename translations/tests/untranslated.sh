#!/bin/sh
# Fails on a text of the program's own that the catalogue does not translate: lupdate, run over the
# sources into a copy of it, leaves every such text with an empty translation.
set -eu
lupdate=$1
sources=$2
catalogue=$3
copy=$(mktemp --suffix=.ts)
trap 'rm -f "$copy"' EXIT
cp "$catalogue" "$copy"
cd "$sources"
"$lupdate" -silent -locations none alertpage app commands editor mainwindow notify rules syncsetup widgets sync ical store \
    -ts "$copy" >/dev/null 2>&1
if grep -B4 -E '<translation( type="unfinished")?></translation>|<numerusform></numerusform>' "$copy" | grep '<source>'; then
    echo "Untranslated in $catalogue: the texts above" >&2
    exit 1
fi
