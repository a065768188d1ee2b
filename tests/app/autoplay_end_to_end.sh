#!/bin/sh
# The built player started the way the desktop starts it for an inserted audio CD
# ("lyrabox /Play"), on a small disc image, with every outside program replaced by a
# script that notes how it was started:
#   1. the disc has a bookmark and the kill program is there: the other player is
#      started minimised, the kill program twice, and the device log shows the resume
#      at the bookmark; the data folder comes from a Windows machine whose CD drive was
#      F: (its lbx.ini names f:\), which the player takes for the CD drive, saying in
#      one line that LYRABOX_CD_DRIVE named another;
#   2. the disc has no bookmark: the other player's script runs with "/play G:\" in a
#      normal window, and the player ends by itself without opening the device.
#
# usage: autoplay_end_to_end.sh PLAYER WORK_FOLDER
set -eu
. "$(dirname "$0")/../support/end_to_end.sh"

player=$1
work=$2
rm -rf "$work"
mkdir -p "$work"

# A disc image of three silent audio tracks of 4 seconds each.
sectors_per_second=75
sector_bytes=2352
truncate -s $((3 * 4 * sectors_per_second * sector_bytes)) "$work/disc.bin"
cat > "$work/disc.cue" <<'CUE'
FILE "disc.bin" BINARY
  TRACK 01 AUDIO
    INDEX 01 00:00:00
  TRACK 02 AUDIO
    INDEX 01 00:04:00
  TRACK 03 AUDIO
    INDEX 01 00:08:00
CUE
# Its disc id: the volume serial of an audio disc is the sum of the tracks' start
# times as (minute << 16) + (second << 8) + frame, counted with the 2-second lead-in:
# the tracks start at 00:02:00, 00:06:00 and 00:10:00.
disc_id=$(printf '%X' $(( (2 << 8) + (6 << 8) + (10 << 8) )))

# A fresh drive-folder home with the other player and, when asked, the kill program:
# scripts that append how they were started to $work/starts.<case>.
make_home() {
  home=$work/home.$1
  player_folder="$home/drive_e/program files/Plus!/DeluxeCD"
  mkdir -p "$player_folder" "$home/drive_c/lyrabox" "$work/run.$1"
  chmod 700 "$work/run.$1"
  cat > "$player_folder/deluxecd.exe" <<SCRIPT
#!/bin/sh
printf '%s\\n' "player \$LYRABOX_WINDOW_STATE \$*" >> "$work/starts.$1"
SCRIPT
  chmod +x "$player_folder/deluxecd.exe"
}

add_kill_program() {
  kill_program=$work/home.$1/drive_c/lyrabox/killapp.exe
  cat > "$kill_program" <<SCRIPT
#!/bin/sh
printf '%s\\n' "kill \$LYRABOX_WINDOW_STATE \$*" >> "$work/starts.$1"
SCRIPT
  chmod +x "$kill_program"
}

# run_player CASE [PREFIX...]: becomes the player for CASE, behind PREFIX (timeout ...);
# run it in a subshell or in the background.
run_player() {
  case_name=$1; shift
  exec "$@" env LYRABOX_HOME="$work/home.$case_name" LYRABOX_CD="$work/disc.cue" LYRABOX_CD_DRIVE=d: \
      LYRABOX_MCI_LOG="$work/mci.$case_name.log" XDG_RUNTIME_DIR="$work/run.$case_name" \
      QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
      "$player" /Play
}

lines_in() { [ -f "$1" ] && [ "$(wc -l < "$1")" -ge "$2" ]; }

tab=$(printf '\t')

# --- 1. A disc with a bookmark, the kill program present: resume ----------------------
make_home resume
add_kill_program resume
printf '3\r\n0\r\n2\r\n' > "$work/home.resume/drive_c/lyrabox/$disc_id"
printf 'f:\\\r\n' > "$work/home.resume/drive_c/lyrabox/lbx.ini"

run_player resume > "$work/player.resume.out" 2>&1 &
pid=$!
resumed() {
  grep -q "^play cd from 03:00:02$tab" "$work/mci.resume.log" && return 0
  kill -0 "$pid" 2>/dev/null ||
    fail "the player ended before the resume:
$(cat "$work/player.resume.out")"
  return 1
}
wait_until "the resume in the device log" resumed
kill -0 "$pid" 2>/dev/null || fail "the player did not stay running after the resume"
kill "$pid"
wait "$pid" 2>/dev/null || true

# The commands in order: open, time format, one poll (its first query and its seek
# to the first track), the resume's seek, the play at the bookmark.
commands=$(cut -f1 "$work/mci.resume.log")
expected_start="open cdaudio alias cd wait shareable
set cd time format tmsf wait
status cd media present"
[ "$(printf '%s\n' "$commands" | head -n 3)" = "$expected_start" ] ||
  fail "the resume did not begin with open, time format, poll:
$commands"
[ "$(printf '%s\n' "$commands" | grep -c '^seek cd to 1$')" -eq 2 ] ||
  fail "expected the poll's seek and the resume's seek:
$commands"
[ "$(printf '%s\n' "$commands" | grep -A1 '^seek cd to 1$' | tail -n 1)" = "play cd from 03:00:02" ] ||
  fail "the play at the bookmark does not follow the resume's seek:
$commands"
grep -q "^open cdaudio alias cd wait shareable${tab}0" "$work/mci.resume.log" ||
  fail "the device did not open the disc image"
[ "$(grep -c 'LYRABOX_CD_DRIVE names d:, but lbx.ini names f:' "$work/player.resume.out")" -eq 1 ] ||
  fail "expected one line on the overruled LYRABOX_CD_DRIVE:
$(cat "$work/player.resume.out")"

wait_until "three program starts" lines_in "$work/starts.resume" 3
expected_starts="kill minimised MMFRAME* *Deluxe*
kill minimised MMFRAME* *Deluxe*
player minimised /play G:\\"
# Detached programs may note their start in any order; their number and form count.
[ "$(sort "$work/starts.resume")" = "$expected_starts" ] ||
  fail "unexpected program starts on the kill path:
$(cat "$work/starts.resume")"

# --- 2. A disc without a bookmark: hand-over -----------------------------------------
make_home handover
set +e
(run_player handover timeout "$deadline_seconds") > "$work/player.handover.out" 2>&1
status=$?
set -e
[ "$status" -eq 0 ] || fail "the player ended with status $status after the hand-over:
$(cat "$work/player.handover.out")"

wait_until "the other player's start" lines_in "$work/starts.handover" 1
[ "$(cat "$work/starts.handover")" = 'player normal /play G:\' ] ||
  fail "the other player was not started with /play G:\\ in a normal window:
$(cat "$work/starts.handover")"
if [ -f "$work/mci.handover.log" ] && grep -q '^open' "$work/mci.handover.log"; then
  fail "the device was opened although the disc was handed over"
fi

echo "AutoPlay end to end: resume and hand-over as expected"
