#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Our device against Wine's own MCI CD audio device: the command strings of COMMANDS
# go, one a line, through Wine's MCI (mci-console.exe) and through lyrabox-mci, both
# on the emulated CD drive holding the prefix's image, and the answers are compared
# line by line as the file's marks say. Then Wine's digital path, where DirectSound
# plays (into ALSA's null output here): the drive must have given it the audio.
#
# usage: mci_differential.sh WINE MCI_CONSOLE_EXE DRIVE_LIBRARY LYRABOX_MCI COMMANDS CD_PREFIX WORK
set -euo pipefail
. "$(dirname "$0")/../support/end_to_end.sh"
wine=$1 console=$2 library=$3 linux_mci=$4 commands=$5 prefix=$6 work=$7
server=${wine%/*}/wineserver
cd_drive_script=$(cd "$(dirname "$0")/../../scripts" && pwd)/wine-cd-drive.sh
export WINEPREFIX=$prefix WINEDEBUG=-all
trap '"$server" -k 2>/dev/null || true' EXIT

rm -rf "$work"
mkdir -p "$work/home"
cd "$work"
"$cd_drive_script" "$prefix" "$prefix/disc.cue"  # the prefix's own disc in the drive
printf 'log %s\n' "$work/drive.log" | cat "$prefix/drive.txt" - > drive.txt
grep -v -e '^[[:space:]]*#' -e '^[[:space:]]*$' "$commands" > marked.txt
sed 's/[[:space:]]*#.*$//' marked.txt > sent.txt
with_drive() { LD_PRELOAD=$library LYRABOX_EMULATED_DRIVE=$work/drive.txt "$@"; }

# Wine without DirectSound plays through the drive's analog output, as the player does.
with_drive env WINEDLLOVERRIDES="mscoree,mshtml=;dsound=d" "$wine" "$console" < sent.txt \
  2> wine.stderr | tr -d '\r' > wine.log
with_drive env LYRABOX_CD=/dev/sr0 LYRABOX_AUDIO=none LYRABOX_MCI_LOG=ours.log "$linux_mci" \
  < sent.txt > /dev/null 2> ours.stderr || true  # its status tells that some were refused

# One line per difference that the marks do not allow.
awk -F '\t' '
  function frames(reply,   f, n) {  # a position in frames (and its track), or -1
    n = split(reply, f, ":")
    if (reply ~ /^[0-9]+$/) return int(reply * 75 / 1000)
    if (n == 3) return (f[1] * 60 + f[2]) * 75 + f[3]
    if (n == 4) return f[1] * 100000 + (f[2] * 60 + f[3]) * 75 + f[4]
    return -1
  }
  function near(a, b) { return frames(a) >= 0 && frames(b) >= 0 && (frames(a) - frames(b))^2 <= 75^2 }
  {
    mark = $0; sub(/^[^#]*#?[[:space:]]*/, "", mark)
    if ((getline w < "wine.log") <= 0 || (getline o < "ours.log") <= 0) {
      print "line " NR ": no answer from " (w == "" ? "Wine" : "ours"); bad = 1; exit
    }
    split(w, W, "\t"); split(o, O, "\t")
    said = "\"" W[1] "\": Wine " W[2] " \"" W[3] "\", ours " O[2] " \"" O[3] "\""
    if (mark ~ /^wine:/) {
      code = mark; sub(/^wine:[[:space:]]*/, "", code)
      reply = code; sub(/^[0-9]+[[:space:]]*/, "", reply); sub(/[[:space:]].*$/, "", code)
      if (W[2] != code || W[3] != reply) { print "now " said " (the note says " code " \"" reply "\")"; bad = 1 }
      else if (W[2] == O[2] && W[3] == O[3]) { print "now alike, the note is stale: " said; bad = 1 }
    } else if (W[2] != O[2] || (W[3] != O[3] && !(mark == "~" && near(W[3], O[3])))) {
      print "differ: " said; bad = 1
    }
  }
  END { exit bad }' marked.txt || fail "our device and Wine's differ (above; the drive's log: $work/drive.log)"
[ "$(wc -l < wine.log)" = "$(wc -l < sent.txt)" ] || fail "Wine answered $(wc -l < wine.log) of $(wc -l < sent.txt) commands"

# Wine's digital path reads the audio from the drive itself.
printf 'pcm.!default { type null }\n' > home/.asoundrc
reads_before=$(grep -c 'ioctl 0x530e -> 0' drive.log || true)
printf '%s\n' "open cdaudio alias cd wait" "seek cd to start" "play cd" "status cd mode" "stop cd" \
  "close all" | with_drive env HOME="$work/home" WINEDLLOVERRIDES="mscoree,mshtml=" \
  "$wine" "$console" 2>> wine.stderr | tr -d '\r' > digital.log
logged digital.log $'^play cd\t0' || fail "no digital play: $(cat digital.log)"
[ "$(grep -c 'ioctl 0x530e -> 0' drive.log)" -gt "$reads_before" ] ||
  fail "Wine's digital play read no audio from the drive (its log: $work/drive.log)"
echo "Windows: our device answers as Wine's MCI does, but for the noted differences"
