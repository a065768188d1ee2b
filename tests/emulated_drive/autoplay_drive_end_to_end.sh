#!/bin/sh
# The built player started by the desktop for an inserted audio CD ("lyrabox /Play") on
# the emulated CD drive at /dev/sr0, which takes 1.5 s to spin up: the disc id is read
# once the drive has settled, so the disc's bookmark (its file named by the id computed
# from the table of contents) is found and play resumes there.
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

# Three silent tracks of 4 seconds; its id is the sum of the tracks' starts as
# (minute << 16) + (second << 8) + frame with the 2-second lead-in: 00:02, 00:06, 00:10.
truncate -s $((3 * 4 * 75 * 2352)) "$work/disc.bin"
printf 'FILE "disc.bin" BINARY\n' > "$work/disc.cue"
for n in 1 2 3; do
  printf '  TRACK 0%d AUDIO\n    INDEX 01 00:%02d:00\n' "$n" $(((n - 1) * 4)) >> "$work/disc.cue"
done
disc_id=$(printf '%X' $(( (2 << 8) + (6 << 8) + (10 << 8) )))
printf '3\r\n0\r\n2\r\n' > "$work/home/drive_c/lyrabox/$disc_id"
printf 'device /dev/sr0\ndisc disc.cue\nspinup 1500\n' > "$work/slow.drive"

env LD_PRELOAD="$preload" LYRABOX_EMULATED_DRIVE="$work/slow.drive" LYRABOX_CD=/dev/sr0 \
    LYRABOX_AUDIO=none LYRABOX_HOME="$work/home" LYRABOX_CD_DRIVE=d: \
    LYRABOX_MCI_LOG="$work/mci.log" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen \
    "$player" /Play > "$work/player.out" 2>&1 &
pid=$!
tab=$(printf '\t')
resumed() {
  grep -q "^play cd from 03:00:02${tab}0" "$work/mci.log" 2>/dev/null && return 0
  kill -0 "$pid" 2>/dev/null || fail "the player ended before the resume (handed over?):
$(cat "$work/player.out")"
  return 1
}
wait_until "the resume at the bookmark" resumed
kill "$pid"
wait "$pid" 2>/dev/null || true
echo "AutoPlay on a drive that spins up: resumed at the bookmark of disc $disc_id"
