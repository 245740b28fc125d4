#!/bin/sh
# Installs the Debian packages the build needs, only those that are missing.
# Usage: install-deps.sh [fuzz]
set -eu

packages="cmake g++ make ninja-build pkg-config locales-all libical-dev todoman libgtest-dev libbenchmark-dev qt6-base-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n libgl-dev fonts-dejavu-core adwaita-icon-theme xvfb xauth dbus-daemon desktop-file-utils appstream librsvg2-bin clang-format man-db"
# The accessibility tests: Qt's private interface turns accessibility on in-process; the AT-SPI run
# needs the accessibility bus, gdbus and the Atspi bindings.
packages="$packages qt6-base-private-dev at-spi2-core python3-gi gir1.2-atspi-2.0 libglib2.0-bin"
# CalDAV sync: QtKeychain for the secret store; the tests start a real server (only Radicale's
# Python module, not the packaged system service), a second server without login, another client,
# and a private keyring.
packages="$packages qtkeychain-qt6-dev python3-radicale xandikos python3-caldav gnome-keyring dbus-bin openssl"
# The start-up benchmark watches the private X server's repaints; the sync benchmark times another client.
packages="$packages libxcb-damage0-dev vdirsyncer"
# Building and judging the Debian package (`make package`, package_test).
packages="$packages dpkg-dev file lintian"
if [ "${1:-}" = fuzz ]; then
    packages="$packages clang libclang-rt-14-dev"
fi

missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
echo "Installing:$missing"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
