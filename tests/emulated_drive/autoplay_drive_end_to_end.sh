#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The built player on the emulated CD drive at /dev/sr0, with the media controls on a
# session bus of the test's own:
#   1. started by the desktop for an inserted audio CD ("lyrabox /Play"), on a drive
#      that takes 1.5 s to spin up: the disc id is read once the drive has settled, so
#      the disc's bookmark (its file named by the id computed from the table of
#      contents) is found and play resumes there; the disc's CD-Text (read through the
#      drive's READ TOC format 5) names the track on the media controls;
#   2. a changer then swaps in a two-track disc between two polls (the tray opens and
#      closes at once): the poll sees the disc go and come and scans the new one, the
#      media controls name the new disc, and two presses of >>| go to its track 2 and
#      back to its track 1, never to a track 3 it does not have; the new disc has no
#      text, and the old disc's names are gone with it.
#
# usage: autoplay_drive_end_to_end.sh PLAYER PRELOAD WORK_FOLDER
set -eu
. "$(dirname "$0")/../support/end_to_end.sh"

player=$1
preload=$2
work=$3
rm -rf "$work"
mkdir -p "$work/home/drive_c/lyrabox" "$work/run"
chmod 700 "$work/run"

# Silent discs of 4-second tracks; a disc id is the sum of the tracks' starts as
# (minute << 16) + (second << 8) + frame, with the 2-second lead-in, and for fewer than
# three tracks the disc's length in frames on top.
make_disc() {
  truncate -s $(($2 * 4 * 75 * 2352)) "$work/$1.bin"
  printf 'FILE "%s.bin" BINARY\n' "$1" > "$work/$1.cue"
  n=1
  while [ "$n" -le "$2" ]; do
    printf '  TRACK 0%d AUDIO\n    INDEX 01 00:%02d:00\n' "$n" $(((n - 1) * 4)) >> "$work/$1.cue"
    n=$((n + 1))
  done
}
make_disc disc 3
make_disc two 2
# The first disc carries CD-Text: the album's names, and its third track's title.
sed -i -e '1i PERFORMER "The Drive"\nTITLE "Drive Album"' -e '/TRACK 03/a\    TITLE "Third Song"' \
  "$work/disc.cue"
disc_id=$(printf '%X' $(( (2 << 8) + (6 << 8) + (10 << 8) )))
two_id=$(printf '%X' $(( (2 << 8) + (6 << 8) + 2 * 4 * 75 )))
printf '3\r\n0\r\n2\r\n' > "$work/home/drive_c/lyrabox/$disc_id"
# One trigger file for both events: the tray opens and closes within one look.
printf 'device /dev/sr0\ndisc disc.cue\nspinup 1500\nopen-when swap\nclose-when swap two.cue\n' \
  > "$work/slow.drive"

bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
bus_pid=$(printf '%s\n' "$bus" | sed -n 2p)
trap 'kill "$bus_pid" 2>/dev/null || true' EXIT
export DBUS_SESSION_BUS_ADDRESS="$(printf '%s\n' "$bus" | sed -n 1p)"

env LD_PRELOAD="$preload" LYRABOX_EMULATED_DRIVE="$work/slow.drive" LYRABOX_CD=/dev/sr0 \
    LYRABOX_AUDIO=none LYRABOX_HOME="$work/home" LYRABOX_CD_DRIVE=d: \
    LYRABOX_MCI_LOG="$work/mci.log" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen \
    "$player" /Play > "$work/player.out" 2>&1 &
pid=$!
tab=$(printf '\t')
running() {
  kill -0 "$pid" 2>/dev/null || fail "the player ended:
$(cat "$work/player.out")"
}
logged() { grep -q "$1" "$work/mci.log" 2>/dev/null || { running; return 1; }; }
controls_title() {
  [ "$(playerctl -p lyrabox metadata xesam:title 2>/dev/null)" = "$1" ] || { running; return 1; }
}
controls_name() {
  playerctl -p lyrabox metadata mpris:trackid 2>/dev/null | grep -q "/Disc$1/" || { running; return 1; }
}

# --- 1. The resume at the bookmark, once the drive has spun up ------------------------
wait_until "the resume at the bookmark" logged "^play cd from 03:00:02${tab}0"
wait_until "the media controls on disc $disc_id" controls_name "$disc_id"
wait_until "the disc's own title on the media controls" controls_title "Third Song"
[ "$(playerctl -p lyrabox metadata xesam:artist)" = "The Drive" ] || fail "no performer"

# --- 2. Another disc swapped in within one poll ---------------------------------------
touch "$work/swap"
wait_until "the scan of the swapped-in disc" logged "^status cd number of tracks wait${tab}0${tab}2$"
sed -n '/^play cd from 03:00:02/,$p' "$work/mci.log" | grep -q "^status cd media present${tab}0${tab}false$" ||
  fail "the poll never saw the old disc go:
$(cat "$work/mci.log")"
wait_until "the media controls on disc $two_id" controls_name "$two_id"
wait_until "the new disc's track without a name" controls_title "Track 1"
swapped=$(wc -l < "$work/mci.log")
playerctl -p lyrabox next
wait_until "the first >>|" logged "^seek cd to 2${tab}0"
playerctl -p lyrabox next
wait_until "the second >>|" eval "sed -n '$((swapped + 1)),\$p' '$work/mci.log' | grep -q '^seek cd to 1${tab}0'"
if sed -n "$((swapped + 1)),\$p" "$work/mci.log" | grep -q '^seek cd to 3'; then
  fail ">>| went past the new disc's two tracks:
$(cat "$work/mci.log")"
fi
kill "$pid"
wait "$pid" 2>/dev/null || true
echo "Player on the emulated drive: resumed disc $disc_id after the spin-up, followed the swap to disc $two_id"
