#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# lyrabox-mci on the emulated CD drive at /dev/sr0 (the real-drive code, libcdio's Linux
# driver and paranoia, unchanged), one scenario per case:
#   1. named by LYRABOX_CD, spinning up: "open ... wait" waits for the disc, so the
#      table of contents is there straight after it; the bytes played from track 2
#      equal the image's from there;
#   2. LYRABOX_CD unset: the drive is found as the first CD drive;
#   3. a scratched range in track 2 plays through, the rest of the track intact;
#   4. the tray opened by hand while playing: the play stops, the device says "open"
#      and no disc; another disc pushed in is read; eject opens the tray; the program
#      ends on end of input;
#   5. a locked drive refuses eject with the device's error, and plays on;
#   6. a read that hangs in the drive: the device still answers, and the program ends;
#   7. an eject sent while the drive's first look is still reading the spinning-up disc:
#      the door move wins over what that look saw, and the drive goes on following
#      the tray (closed by command, opened by hand).
#
# usage: drive_end_to_end.sh LYRABOX_MCI PRELOAD WORK_FOLDER
# (PRELOAD: the emulated drive library, after the sanitizer runtime when there is one)
set -eu
. "$(dirname "$0")/../support/end_to_end.sh"

mci=$1
preload=$2
work=$3
rm -rf "$work"
mkdir -p "$work"

# Two discs of raw little-endian stereo sectors that sound like music (paranoia guesses
# the byte order from the samples) and differ from sector to sector: tracks of 2, 1 and
# 1 seconds, and one track of 3 seconds.
make_disc() {
  perl -e 'my ($n, $seed) = @ARGV; for my $i (0 .. $n * 588 - 1) {
             my $a = 3000 + (int($i / 588) * $seed) % 97 * 60;
             print pack("s<s<", int($a * sin($i * 0.0627)), int($a * sin($i * 0.0391 + 1))); }' \
    "$2" "$3" > "$work/$1.bin"
}
make_disc one 300 7
cat > "$work/one.cue" <<'CUE'
FILE "one.bin" BINARY
  TRACK 01 AUDIO
    INDEX 01 00:00:00
  TRACK 02 AUDIO
    INDEX 01 00:02:00
  TRACK 03 AUDIO
    INDEX 01 00:03:00
CUE
make_disc two 225 13
printf 'FILE "two.bin" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n' > "$work/two.cue"

# Starts lyrabox-mci for case $1 on the drive the script $work/$1.drive describes, with
# SDL's file output, LYRABOX_CD unset and the environment settings that follow; ask
# sends one command and sets $reply to its answer.
start() {
  case=$1; shift
  mkfifo "$work/$case.commands"
  env -u LYRABOX_CD LD_PRELOAD="$preload" LYRABOX_EMULATED_DRIVE="$work/$case.drive" \
      SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/$case.heard" SDL_DISKAUDIODELAY=0 \
      "$@" "$mci" < "$work/$case.commands" > "$work/$case.replies" 2> "$work/$case.stderr" &
  pid=$!
  exec 3> "$work/$case.commands"
  asked=0
}
has_replies() { [ -f "$work/$case.replies" ] && [ "$(wc -l < "$work/$case.replies")" -ge "$1" ]; }
ask() {
  echo "$1" >&3
  asked=$((asked + 1))
  wait_until "$case: an answer to \"$1\"" has_replies "$asked"
  reply=$(sed -n "${asked}p" "$work/$case.replies")
}
expect() {
  ask "$1"
  [ "$reply" = "$2" ] || fail "$case: \"$1\" answered \"$reply\", not \"$2\""
}
ready() { ask "status cd mode"; [ "$reply" = "stopped" ]; }
door_open() { ask "status cd mode"; [ "$reply" = "open" ]; }
# Closes the device and the input; the program must end by itself.
finish() {
  ask "close cd"
  exec 3>&-
  wait_until "the end of lyrabox-mci ($case)" program_ended
  wait "$pid" || true
}

# The frames heard are the image's sectors FIRST .. LAST, in order, but for sectors
# SKIP_FIRST .. SKIP_LAST (if given: a scratch, which paranoia gives up as silence, and
# up to 2 good sectors either side that a failed read took with it). Silent frames are
# left out on both sides: the unpaced file output records silence whenever the reader lags.
heard_matches() {
  perl -e 'my ($heard, $image, $first, $last, $skip1, $skip2) = @ARGV;
    local $/; open(my $h, "<", $heard) or die; my $got = <$h>; open(my $i, "<", $image) or die;
    my $want = substr(<$i>, $first * 2352, ($last - $first + 1) * 2352);
    my $quiet = "\0" x 4;
    $got =~ s/^(?:$quiet)*//;
    sub sound { join("", grep { $_ ne $quiet } unpack("(a4)*", $_[0])) }
    if (!defined $skip1) { exit(sound($got) eq sound($want) ? 0 : 1); }
    my ($before, $after) = (($skip1 - $first) * 2352, ($skip2 + 1 - $first) * 2352);
    for my $lost_before (0 .. 2) { for my $lost_after (0 .. 2) {
      my $kept = substr($want, 0, $before - $lost_before * 2352) .
                 substr($want, $after + $lost_after * 2352);
      exit 0 if sound($got) eq sound($kept); } }
    exit 1;' "$@"
  status=$?
  [ $status -ne 0 ] || rm -f "$1"  # mostly silence, and large
  return $status
}

# 1. The drive named, spinning up for a moment; track 2 played to the end.
cat > "$work/named.drive" <<EOF
device /dev/sr0
disc one.cue
spinup 300
EOF
start named LYRABOX_CD=/dev/sr0
# Both at once, so that the status comes well within the spin-up.
echo "open cdaudio alias cd wait shareable" >&3
asked=1
expect "status cd number of tracks" 3
[ "$(sed -n 1p "$work/named.replies")" = 1 ] || fail "named: the open failed"
expect "status cd length track 2" "00:01:00"
expect "set cd time format tmsf" ""
expect "play cd from 2 wait" ""
finish
heard_matches "$work/named.heard" "$work/one.bin" 150 299 ||
  fail "named: the sound is not the image's from track 2"

# 2. No drive named: the emulated node is the first CD drive libcdio finds.
cat > "$work/first.drive" <<EOF
device /dev/sr0
disc one.cue
EOF
start first SDL_AUDIODRIVER=dummy
expect "open cdaudio alias cd wait shareable" 1
wait_until "the disc (first)" ready
expect "status cd number of tracks" 3
finish

# 3. A scratch in track 2: paranoia gives up on it and the play goes on to the end.
cat > "$work/scratched.drive" <<EOF
device /dev/sr0
disc one.cue
scratch 170 179
EOF
start scratched LYRABOX_CD=/dev/sr0
expect "open cdaudio alias cd wait shareable" 1
wait_until "the disc (scratched)" ready
expect "set cd time format tmsf" ""
expect "play cd from 2 to 3 wait" ""
finish
heard_matches "$work/scratched.heard" "$work/one.bin" 150 224 170 179 ||
  fail "scratched: the sound around the scratch is not the image's"

# 4. The tray opened by hand while playing a long (silent) disc, read as fast as the
# drive goes (the output unpaced, and not kept), and another disc pushed in.
truncate -s $((20 * 60 * 75 * 2352)) "$work/long.bin"
printf 'FILE "long.bin" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n' > "$work/long.cue"
cat > "$work/tray.drive" <<EOF
device /dev/sr0
disc long.cue
log tray.log
open-when tray.out
close-when tray.in two.cue
EOF
start tray LYRABOX_CD=/dev/sr0 SDL_DISKAUDIOFILE=/dev/null
expect "open cdaudio alias cd wait shareable" 1
expect "play cd" ""
expect "status cd mode" "playing"
touch "$work/tray.out"
wait_until "the open tray (tray)" door_open
expect "status cd media present" "false"
touch "$work/tray.in"
wait_until "the other disc (tray)" ready
expect "status cd number of tracks" 1
expect "set cd door open" ""
expect "status cd mode" "open"
finish
# Once the disc has gone, the read under way gives up after its own few tries, and no
# more are made (they were tens of thousands, frame by frame, starving the drive's look).
reads=$(sed -n '/tray opens/,/tray closes/p' "$work/tray.log" | grep -c '^SCSI BE' || true)
[ "$reads" -lt 200 ] || fail "tray: $reads audio reads of a drive with its tray open"

# 5. A locked drive: eject is refused with the device's error; the disc plays on.
cat > "$work/locked.drive" <<EOF
device /dev/sr0
disc one.cue
locked
EOF
start locked LYRABOX_CD=/dev/sr0 SDL_AUDIODRIVER=dummy
expect "open cdaudio alias cd wait shareable" 1
expect "play cd" ""
expect "set cd door open" "error 262: There is a problem with your media device. Make sure it is working correctly or contact the device manufacturer."
expect "status cd mode" "playing"
finish

# 6. A read in track 2 never ends: the device answers all the same, and the program
# ends without waiting for that read.
cat > "$work/hang.drive" <<EOF
device /dev/sr0
disc one.cue
hang 170 179
log hang.log
EOF
start hang LYRABOX_CD=/dev/sr0 SDL_AUDIODRIVER=dummy
expect "open cdaudio alias cd wait shareable" 1
expect "set cd time format tmsf" ""
expect "play cd from 2" ""
hanging() { grep -q "the read hangs" "$work/hang.log"; }
wait_until "the hanging read (hang)" hanging
expect "status cd mode" "playing"
expect "status cd media present" "true"
finish

# 7. Eject while the first look is under way: the disc spins up for a second, and the
# eject, sent at once, waits for that look and must not be overwritten by it.
cat > "$work/race.drive" <<EOF
device /dev/sr0
disc one.cue
spinup 1000
open-when race.out
EOF
start race LYRABOX_CD=/dev/sr0 SDL_AUDIODRIVER=dummy
expect "open cdaudio alias cd shareable" 1
expect "set cd door open" ""
expect "status cd mode" "open"
expect "status cd media present" "false"
expect "set cd door closed" ""
wait_until "the disc read again (race)" ready
expect "status cd number of tracks" 3
touch "$work/race.out"
wait_until "the tray opened by hand (race)" door_open
finish
