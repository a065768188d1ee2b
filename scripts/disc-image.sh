#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes an audio disc image of silent tracks, for the emulated CD drive
# (tests/emulated_drive) and for LYRABOX_CD: DISC.cue over DISC.bin, raw 2352-byte
# sectors, one track per length given in seconds (4, 6 and 5 when none is given).
#
# usage: scripts/disc-image.sh DISC.cue [SECONDS...]
set -euo pipefail
usage() { echo "usage: $0 DISC.cue [SECONDS...]" >&2; exit 2; }
[ $# -ge 1 ] || usage
cue=$1; shift
[ "${cue%.cue}" != "$cue" ] || usage
[ $# -gt 0 ] || set -- 4 6 5
[ $# -le 99 ] || { echo "$0: a disc holds at most 99 tracks" >&2; exit 2; }
for seconds in "$@"; do
  case $seconds in
    ''|*[!0-9]*) ;;
    *) [ $((10#$seconds)) -gt 0 ] && continue ;;
  esac
  echo "$0: a track's length is a whole number of seconds above 0, not '$seconds'" >&2
  exit 2
done
bin=${cue%.cue}.bin

mkdir -p "$(dirname "$cue")"
printf 'FILE "%s" BINARY\n' "$(basename "$bin")" > "$cue"
start=0
track=0
for seconds in "$@"; do
  track=$((track + 1))
  printf '  TRACK %02d AUDIO\n    INDEX 01 %02d:%02d:00\n' \
    "$track" $((start / 60)) $((start % 60)) >> "$cue"
  start=$((start + 10#$seconds))
done
rm -f "$bin"
truncate -s $((start * 75 * 2352)) "$bin"
