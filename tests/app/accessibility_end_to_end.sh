#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The built player as a screen reader meets it: on a display of its own (Xvfb), with a
# session bus and an accessibility bus of its own (at-spi2-core's bus launcher), the
# window is read through AT-SPI and driven with the keys alone
# (accessibility_end_to_end.py says what it checks).
#
# usage: accessibility_end_to_end.sh PLAYER WORK_FOLDER
set -eu
. "$(dirname "$0")/../support/end_to_end.sh"

player=$1
work=$2
rm -rf "$work"
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"

own_display_and_bus "$work"
/usr/libexec/at-spi-bus-launcher --launch-immediately > "$work/launcher.out" 2>&1 &
ended_at_exit="$ended_at_exit $!"

# Silent, at the pace of the clock, so that the time display's seconds are seen.
env LYRABOX_CD=demo LYRABOX_AUDIO=none LYRABOX_HOME="$work/home" XDG_RUNTIME_DIR="$work/run" \
    QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$player" > "$work/player.out" 2>&1 &
pid=$!

/usr/bin/python3 "$(dirname "$0")/accessibility_end_to_end.py" ||
  fail "the window as a screen reader reads it (above); the player said:
$(cat "$work/player.out")"
kill "$pid"
wait "$pid" || true
pid=
