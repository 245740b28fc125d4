#!/bin/sh
# The manual page reads without warnings and lists exactly the options that --help lists, answered
# as a user without a display would get it.
# Usage: manpage_test.sh PROGRAM PAGE
set -eu
program=$1
page=$2
warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || { echo "$warnings"; exit 1; }
lexgrog "$page"

options_of_help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --help | grep -o -- '--[a-z-]*' | sort -u)
options_of_page=$(sed -n '/^\.SH OPTIONS/,/^\.SH /p' "$page" | sed 's/\\-/-/g' | grep -o -- '--[a-z-]*' | sort -u)
[ "$options_of_help" = "$options_of_page" ] ||
    { printf '%s\n---- --help above, the manual page below\n%s\n' "$options_of_help" "$options_of_page"; exit 1; }
