#!/bin/sh
# Builds the Debian package, lists what it installs where, and lets lintian judge it: no errors.
# Skipped (77) where dpkg-deb or lintian is missing.
# Usage: package_test.sh BUILD_DIR
set -eu
build=$1
command -v dpkg-deb >/dev/null && command -v lintian >/dev/null || { echo "no dpkg-deb or lintian"; exit 77; }
rm -rf out && mkdir out
cpack --config "$build/CPackConfig.cmake" -B "$(pwd)/out" >/dev/null
deb=$(ls out/taskwyn_*_*.deb)
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb" | tee contents
for wanted in ./usr/bin/taskwyn ./usr/share/man/man1/taskwyn.1.gz ./usr/share/doc/taskwyn/copyright \
    ./usr/share/applications/ ./usr/share/metainfo/ ./usr/share/icons/hicolor/48x48/apps/; do
    grep -q " $wanted" contents || { echo "missing: $wanted"; exit 1; }
done
lintian --fail-on error "$deb"
