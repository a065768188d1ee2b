#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The built player asked for a screenshot (LYRABOX_SCREENSHOT), as run.sh asks for one
# on a machine without a display, where nobody answers a box:
#   1. on the demo disc: the picture is saved and the player ends the usual way, the
#      device log ending with the unload's "stop cd wait" and "close all";
#   2. with a disc that is not there, so that opening the device fails and its error
#      box opens during start-up: the box is pictured and dismissed, and the player
#      ends without showing its window instead of waiting for an answer for ever,
#      with a status that says it failed;
#   3. started by AutoPlay on a disc with a bookmark, so that the disc is playing when
#      the run closes the window: the close question is dismissed too (as No) and the
#      player ends the usual way.
#
# usage: screenshot_end_to_end.sh PLAYER WORK_FOLDER
set -eu
. "$(dirname "$0")/../support/end_to_end.sh"

player=$1
work=$2
rm -rf "$work"
mkdir -p "$work"

# run_player CASE DISC [ARGUMENT...]: runs the player for CASE on DISC with a
# screenshot asked for at once; its status is in $status.
run_player() {
  case_name=$1 disc=$2
  shift 2
  mkdir -p "$work/home.$case_name" "$work/run.$case_name"
  chmod 700 "$work/run.$case_name"
  set +e
  timeout "$deadline_seconds" env LYRABOX_HOME="$work/home.$case_name" LYRABOX_CD="$disc" \
      LYRABOX_AUDIO=none LYRABOX_MCI_LOG="$work/mci.$case_name.log" \
      XDG_RUNTIME_DIR="$work/run.$case_name" \
      LYRABOX_SCREENSHOT="$work/shot.$case_name.png" LYRABOX_SCREENSHOT_DELAY=0 \
      QT_QPA_PLATFORM=offscreen "$player" "$@" > "$work/player.$case_name.out" 2>&1
  status=$?
  set -e
  [ "$status" -ne 124 ] || fail "case $case_name: the player was still running after $deadline_seconds s:
$(cat "$work/player.$case_name.out")"
}

ends_with_unload() { [ "$(cut -f1 "$1" | tail -n 2)" = "stop cd wait
close all" ]; }

is_png() { [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ]; }

# --- 1. The demo disc ------------------------------------------------------------------
run_player demo demo
[ "$status" -eq 0 ] || fail "the player on the demo disc ended with status $status:
$(cat "$work/player.demo.out")"
is_png "$work/shot.demo.png" || fail "no picture of the window was saved"
ends_with_unload "$work/mci.demo.log" || fail "the player did not end with the unload sequence:
$(cat "$work/mci.demo.log")"

# --- 2. A device that cannot be opened ---------------------------------------------------
run_player no_disc "$work/no such disc.cue"
is_png "$work/shot.no_disc.png" || fail "no picture of the device's error box was saved"
[ "$(cut -f1 "$work/mci.no_disc.log")" = "open cdaudio alias cd wait shareable" ] ||
  fail "expected the refused open and nothing after it:
$(cat "$work/mci.no_disc.log")"
[ "$status" -ne 0 ] || fail "the player ended with status 0 after its device could not be opened"

# --- 3. Playing when the run closes the window -------------------------------------------
# Three silent tracks of 4 seconds; its disc id is the sum of the tracks' start times
# as (minute << 16) + (second << 8) + frame, with the 2-second lead-in.
truncate -s $((3 * 4 * 75 * 2352)) "$work/disc.bin"
printf 'FILE "disc.bin" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 01 00:04:00\n  TRACK 03 AUDIO\n    INDEX 01 00:08:00\n' > "$work/disc.cue"
mkdir -p "$work/home.playing/drive_c/lyrabox"
printf '1\r\n0\r\n0\r\n' > "$work/home.playing/drive_c/lyrabox/$(printf '%X' $(( (2 + 6 + 10) << 8 )))"
run_player playing "$work/disc.cue" /Play
[ "$status" -eq 0 ] || fail "the playing player ended with status $status:
$(cat "$work/player.playing.out")"
grep -q "^play cd from 01:00:00" "$work/mci.playing.log" ||
  fail "the disc was not resumed, so nothing asked the close question:
$(cat "$work/mci.playing.log")"
ends_with_unload "$work/mci.playing.log" || fail "the playing player did not end with the unload sequence:
$(cat "$work/mci.playing.log")"

echo "Screenshot end to end: pictured and ended, also with a box open or the disc playing"
