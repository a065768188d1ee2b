#!/usr/bin/env bash
# The player's peak memory and its CPU time while it plays and is moved about, on a
# drive and on the demo disc: the player (offscreen, with a session bus of its own)
# plays, and every 3 s the media controls move it on by 30 s or to the next track, for
# ROUNDS moves. The drive is the emulated drive of the tests (tests/emulated_drive) at
# /dev/sr0, holding an image of 8 minutes of noise in three tracks, read as a real drive
# is read (libcdio and paranoia, error correction on); the sound goes to SDL's file
# output into /dev/null, paced like a sound card. The names lookup is off: a benchmark
# never asks the real service. Prints the resident memory before the first Play and at
# its peak, and the CPU time from the first Play on, per minute of it.
#   bench/drive_memory.sh [ROUNDS] [BUILD-FOLDER]
set -euo pipefail

source "$(dirname "$0")/build.sh"
rounds="${1:-10}"
build_dir="${2:-$source_dir/build/bench}"
bench_build lyrabox lyrabox-sound lyrabox_emulated_drive
drive_library="$(find "$build_dir" -name liblyrabox_emulated_drive.so | head -1)"

scratch="$(mktemp -d)"
bus_pid=""
cleanup() {
  [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

head -c $((8 * 60 * 75 * 2352)) /dev/urandom > "$scratch/disc.bin"
printf 'FILE "disc.bin" BINARY\n' > "$scratch/disc.cue"
for track in 1 2 3; do
  printf '  TRACK 0%d AUDIO\n    INDEX 01 0%d:00:00\n' "$track" $(((track - 1) * 3)) >> "$scratch/disc.cue"
done
printf 'device /dev/sr0\ndisc %s/disc.cue\n' "$scratch" > "$scratch/drive"

dbus-daemon --session --fork --print-address=3 --print-pid=4 3>"$scratch/bus" 4>"$scratch/bus.pid"
bus_pid="$(cat "$scratch/bus.pid")"
mkdir -p -m 700 "$scratch/runtime"
export DBUS_SESSION_BUS_ADDRESS="$(cat "$scratch/bus")" QT_QPA_PLATFORM=offscreen \
  XDG_RUNTIME_DIR="$scratch/runtime" LYRABOX_HOME="$scratch/home" LYRABOX_LOOKUP=off \
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null

kilobytes() { awk -v key="$1:" '$1 == key { print $2 }' "/proc/$2/status"; }
# CPU time of process $1 so far, in clock ticks (user and system; the name may hold blanks).
ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }

measure() {  # drive|demo: prints "before-first-play-kB peak-kB CPU-ms-per-minute-played"
  if [ "$1" = drive ]; then
    LD_PRELOAD="$drive_library" LYRABOX_EMULATED_DRIVE="$scratch/drive" LYRABOX_CD=/dev/sr0 \
      "$build_dir/lyrabox" 2>/dev/null & pid=$!
  else
    LYRABOX_CD=demo "$build_dir/lyrabox" 2>/dev/null & pid=$!
  fi
  for _ in $(seq 100); do playerctl -p lyrabox status > /dev/null 2>&1 && break; sleep 0.1; done
  sleep 1
  local before; before=$(kilobytes VmHWM "$pid")
  play_through_media_controls "the $1"
  local played; played=$(ticks "$pid")
  for round in $(seq "$rounds"); do
    sleep 3
    if [ $((round % 2)) = 0 ]; then playerctl -p lyrabox next; else playerctl -p lyrabox position 30+; fi
  done
  echo "$before $(kilobytes VmHWM "$pid") $((($(ticks "$pid") - played) * 1000 / $(getconf CLK_TCK) * 60 / (rounds * 3)))"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}

echo "The player on $(uname -m), $(date -u +%Y-%m-%d): playing, moved every 3 s, $rounds moves"
printf '%-36s %16s %10s %22s\n' "" "before Play" "peak" "CPU per minute played"
for source in drive demo; do
  figures=$(measure "$source")
  read -r before peak cpu <<< "$figures"
  label="the emulated drive (paranoia)"
  [ "$source" = demo ] && label="the demo disc"
  printf '%-36s %13d MB %7d MB %16d.%02d s\n' "$label" $(((before + 512) / 1024)) $(((peak + 512) / 1024)) \
    $((cpu / 1000)) $((cpu % 1000 / 10))
done
