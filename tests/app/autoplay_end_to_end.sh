#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The built player started the way the desktop starts it for an inserted audio CD
# ("lyrabox /Play"), on a small disc image, with every outside program replaced by a
# script that notes how it was started:
#   1. the disc has a bookmark and the kill program is there: the other player is
#      started minimised, the kill program twice, and the device log shows the resume
#      at the bookmark; the data folder comes from a Windows machine whose CD drive was
#      F: (its lbx.ini names f:\), which the player takes for the CD drive, saying in
#      one line that LYRABOX_CD_DRIVE named another;
#   2. the disc has no bookmark: the other player's script runs with "/play G:\" in a
#      normal window, and the player ends by itself without opening the device;
#   3. no bookmark and no other player's script, started by the desktop for the disc
#      in cdda://sr5/: the desktop's own choice for audio CDs other than Lyrabox (its
#      desktop entries and mimeapps.list in private XDG folders) gets cdda://sr5/;
#   4. the same with no CD player on the desktop but Lyrabox: a box (dismissed by the
#      screenshot run) and a status that says it failed.
#
# usage: autoplay_end_to_end.sh PLAYER WORK_FOLDER
set -eu
. "$(dirname "$0")/../support/end_to_end.sh"

player=$1
work=$2
packaging=$(cd "$(dirname "$0")/../../packaging" && pwd)
rm -rf "$work"
mkdir -p "$work/bin" "$work/xdg.none"

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

# A script $work/bin/NAME that notes "NAME ARGUMENTS" in $work/starts.<case>, the case
# taken from its environment.
add_recorder() {
  printf '#!/bin/sh\nprintf "%%s\\n" "%s $*" >> "%s/starts.$RECORDED_CASE"\n' "$1" "$work" \
    > "$work/bin/$1"
  chmod +x "$work/bin/$1"
}
add_recorder lyrabox  # what the desktop would start for Lyrabox's own entry

# The desktop of CASE: Lyrabox's own entries and those of the other players named
# (each a recorder), in a private XDG data folder, and the MIMEAPPS text as its choices.
make_desktop() {
  case_name=$1 mimeapps=$2; shift 2
  applications=$work/xdg.$case_name/data/applications
  mkdir -p "$applications" "$work/xdg.$case_name/config"
  cp "$packaging"/*.desktop "$applications/"
  for name in "$@"; do
    add_recorder "$name"
    printf '[Desktop Entry]\nType=Application\nName=%s\nExec=%s %%u\nMimeType=x-content/audio-cdda;\n' \
      "$name" "$work/bin/$name" > "$applications/$name.desktop"
  done
  update-desktop-database "$applications"
  printf '%s\n' "$mimeapps" > "$work/xdg.$case_name/config/mimeapps.list"
}

# run_player CASE LOCATION [PREFIX...]: becomes the player for CASE, started with the
# disc's LOCATION as the desktop passes it (or on the disc image, when empty), behind
# PREFIX (timeout ...); run it in a subshell or in the background. The machine's own
# desktop entries stay out of sight.
run_player() {
  case_name=$1 location=$2; shift 2
  disc=$work/disc.cue
  [ -z "$location" ] || disc=
  exec "$@" env -u XDG_CURRENT_DESKTOP LYRABOX_HOME="$work/home.$case_name" LYRABOX_CD="$disc" \
      LYRABOX_CD_DRIVE=d: LYRABOX_MCI_LOG="$work/mci.$case_name.log" \
      XDG_RUNTIME_DIR="$work/run.$case_name" QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
      XDG_DATA_HOME="$work/xdg.$case_name/data" XDG_CONFIG_HOME="$work/xdg.$case_name/config" \
      XDG_DATA_DIRS="$work/xdg.none" XDG_CONFIG_DIRS="$work/xdg.none" HOME="$work" \
      PATH="$work/bin:$PATH" RECORDED_CASE="$case_name" \
      "$player" /Play ${location:+"$location"}
}

lines_in() { [ -f "$1" ] && [ "$(wc -l < "$1")" -ge "$2" ]; }

tab=$(printf '\t')

# --- 1. A disc with a bookmark, the kill program present: resume ----------------------
make_home resume
add_kill_program resume
printf '3\r\n0\r\n2\r\n' > "$work/home.resume/drive_c/lyrabox/$disc_id"
printf 'f:\\\r\n' > "$work/home.resume/drive_c/lyrabox/lbx.ini"

run_player resume "" > "$work/player.resume.out" 2>&1 &
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
make_desktop handover "" desktop-player
set +e
(run_player handover "" timeout "$deadline_seconds") > "$work/player.handover.out" 2>&1
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

# --- 3. No other player's program: the desktop's choice -------------------------------
# Lyrabox is the default for audio CDs; of the two other players, the one the user
# chose before (an added association) comes first, though the other sorts first.
make_home desktop
rm -r "$work/home.desktop/drive_e"
make_desktop desktop "[Default Applications]
x-content/audio-cdda=io.github.lyrabox.Lyrabox.AutoPlay.desktop;
[Added Associations]
x-content/audio-cdda=io.github.lyrabox.Lyrabox.AutoPlay.desktop;desktop-b.desktop;" \
  desktop-a desktop-b
set +e
(run_player desktop cdda://sr5/ timeout "$deadline_seconds") > "$work/player.desktop.out" 2>&1
status=$?
set -e
[ "$status" -eq 0 ] || fail "the player ended with status $status after handing over to the desktop:
$(cat "$work/player.desktop.out")"
wait_until "the desktop's player's start" lines_in "$work/starts.desktop" 1
[ "$(cat "$work/starts.desktop")" = 'desktop-b cdda://sr5/' ] ||
  fail "the desktop's choice did not get the disc's location:
$(cat "$work/starts.desktop")"

# --- 4. No other CD player at all -----------------------------------------------------
make_home none
rm -r "$work/home.none/drive_e"
make_desktop none "[Default Applications]
x-content/audio-cdda=io.github.lyrabox.Lyrabox.AutoPlay.desktop;"
set +e
(LYRABOX_SCREENSHOT="$work/shot.none.png" LYRABOX_SCREENSHOT_DELAY=0 \
  run_player none cdda://sr5/ timeout "$deadline_seconds") > "$work/player.none.out" 2>&1
status=$?
set -e
[ "$status" -ne 0 ] && [ "$status" -ne 124 ] ||
  fail "without any other CD player the player ended with status $status:
$(cat "$work/player.none.out")"
[ -s "$work/shot.none.png" ] || fail "no box was shown (none was pictured)"

echo "AutoPlay end to end: resume, hand-over, the desktop's choice and no player as expected"
