#!/bin/sh
# The built player asked for a screenshot (LYRABOX_SCREENSHOT), as run.sh asks for one
# on a machine without a display, where nobody answers a box:
#   1. on the demo disc: the picture is saved and the player ends the usual way, the
#      device log ending with the unload's "stop cd wait" and "close all";
#   2. with a disc that is not there, so that opening the device fails and its error
#      box opens during start-up: the box is pictured and dismissed, and the player
#      ends without showing its window instead of waiting for an answer for ever.
#
# usage: screenshot_end_to_end.sh PLAYER WORK_FOLDER
set -eu

player=$1
work=$2
deadline_seconds=60  # generous: the sanitizer build starts slowly

fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work"

# run_player CASE DISC: runs the player for CASE on DISC with a screenshot asked for at
# once; its status is in $status.
run_player() {
  mkdir -p "$work/home.$1" "$work/run.$1"
  chmod 700 "$work/run.$1"
  set +e
  timeout "$deadline_seconds" env LYRABOX_HOME="$work/home.$1" LYRABOX_CD="$2" \
      LYRABOX_AUDIO=none LYRABOX_MCI_LOG="$work/mci.$1.log" XDG_RUNTIME_DIR="$work/run.$1" \
      LYRABOX_SCREENSHOT="$work/shot.$1.png" LYRABOX_SCREENSHOT_DELAY=0 \
      QT_QPA_PLATFORM=offscreen "$player" > "$work/player.$1.out" 2>&1
  status=$?
  set -e
  [ "$status" -ne 124 ] || fail "case $1: the player was still running after $deadline_seconds s:
$(cat "$work/player.$1.out")"
}

is_png() { [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ]; }

# --- 1. The demo disc ------------------------------------------------------------------
run_player demo demo
[ "$status" -eq 0 ] || fail "the player on the demo disc ended with status $status:
$(cat "$work/player.demo.out")"
is_png "$work/shot.demo.png" || fail "no picture of the window was saved"
[ "$(cut -f1 "$work/mci.demo.log" | tail -n 2)" = "stop cd wait
close all" ] || fail "the player did not end with the unload sequence:
$(cat "$work/mci.demo.log")"

# --- 2. A device that cannot be opened ---------------------------------------------------
run_player no_disc "$work/no such disc.cue"
is_png "$work/shot.no_disc.png" || fail "no picture of the device's error box was saved"
[ "$(cut -f1 "$work/mci.no_disc.log")" = "open cdaudio alias cd wait shareable" ] ||
  fail "expected the refused open and nothing after it:
$(cat "$work/mci.no_disc.log")"

echo "Screenshot end to end: pictured and ended, also with a box open"
