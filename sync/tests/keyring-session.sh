#!/bin/sh
# Runs a command in a private D-Bus session with an unlocked Secret Service of its own (gnome-keyring-daemon)
# that keeps its keyrings in a scratch folder: the desktop's own keyring is never reached.
set -eu
[ "${1:-}" = --inside ] || exec dbus-run-session -- "$0" --inside "$@"
shift
XDG_DATA_HOME=$(mktemp -d) && export XDG_DATA_HOME
trap 'rm -rf "$XDG_DATA_HOME"' EXIT
printf keyring-test-password | gnome-keyring-daemon --unlock --components=secrets >/dev/null
TASKWYN_TEST_SECRET_SERVICE=1 "$@"
