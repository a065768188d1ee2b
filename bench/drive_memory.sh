#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The player's peak memory and its CPU time while it plays and is moved about, on a
# drive and on the demo disc, two ways:
#   offscreen   (QT_QPA_PLATFORM=offscreen) every 3 s the media controls move it on by
#               30 s or to the next track, ROUNDS moves;
#   window      in a real window on a virtual display (Xvfb), fast forward, fast forward
#               and rewind are clicked one second apart, 3 x ROUNDS moves.
# The drive is the emulated drive of the tests (tests/emulated_drive) at /dev/sr0,
# holding an image of 8 minutes of noise in three tracks, read as a real drive is read
# (libcdio and paranoia, error correction on); the sound goes to SDL's file output into
# /dev/null, paced like a sound card. Each run has a session bus of its own. Prints the
# resident memory a second after the player is on the bus (before the first Play) and
# at its peak, and the CPU time from the first Play on, per minute of it. With
# BENCH_BEFORE naming a revision (main, a commit) the player of that revision runs
# too, built in a folder of its own. The drive in a window, whose peak varies most from
# run to run with the timing of the clicks, runs RUNS times (3 unless given), the
# players alternating; the rest once.
#   [BENCH_BEFORE=REVISION] bench/drive_memory.sh [ROUNDS] [RUNS] [BUILD-FOLDER]
set -euo pipefail

source "$(dirname "$0")/build.sh"
rounds="${1:-10}"
runs="${2:-3}"
build_dir="${3:-$source_dir/build/bench}"
bench_build_drive_players

scratch="$bench_scratch"
noise_disc "$scratch/disc.cue" 3 3 2
printf 'device /dev/sr0\ndisc %s/disc.cue\n' "$scratch" > "$scratch/drive"
own_display
own_session
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null

kilobytes() { awk -v key="$1:" '$1 == key { print $2 }' "/proc/$2/status"; }
megabytes() { awk -v kilobytes="$1" 'BEGIN { printf "%.1f", kilobytes / 1024 }'; }
# CPU time of process $1 so far, in clock ticks (user and system; the name may hold blanks).
ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }

# measure PLAYER drive|demo offscreen|window: prints "before-Play-kB peak-kB
# CPU-ms-per-minute-played".
measure() {
  local player=$1 pid moves seconds
  if [ "$2" = drive ]; then
    LD_PRELOAD="$drive_library" LYRABOX_EMULATED_DRIVE="$scratch/drive" LYRABOX_CD=/dev/sr0 \
      QT_QPA_PLATFORM="${3/window/xcb}" "$player" 2>/dev/null & pid=$!
  else
    LYRABOX_CD=demo QT_QPA_PLATFORM="${3/window/xcb}" "$player" 2>/dev/null & pid=$!
  fi
  for _ in $(seq 100); do playerctl -p lyrabox status > /dev/null 2>&1 && break; sleep 0.1; done
  sleep 1
  local before; before=$(kilobytes VmHWM "$pid")
  play_through_media_controls "the $2"
  local played; played=$(ticks "$pid")
  if [ "$3" = offscreen ]; then
    moves=$rounds seconds=3
    for move in $(seq "$moves"); do
      sleep 3
      if [ $((move % 2)) = 0 ]; then playerctl -p lyrabox next; else playerctl -p lyrabox position 30+; fi
    done
  else
    moves=$((3 * rounds)) seconds=1
    local window; window=$(xdotool search --onlyvisible --name '^Lyrabox  Version' | head -1)
    for move in $(seq "$moves"); do
      sleep 1
      if [ $((move % 3)) = 0 ]; then click "$window" rew; else click "$window" ff; fi
    done
  fi
  echo "$before $(kilobytes VmHWM "$pid") $((($(ticks "$pid") - played) * 1000 / $(getconf CLK_TCK) * 60 / (moves * seconds)))"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}

echo "The player on $(uname -m), $(date -u +%Y-%m-%d): playing and moved about," \
  "offscreen $rounds moves 3 s apart, in a window $((3 * rounds)) moves 1 s apart"
printf '%-52s %12s %8s %22s\n' "" "before Play" "peak" "CPU per minute played"
players=("$build_dir/lyrabox")
[ -z "$before_dir" ] || players+=("$before_dir/lyrabox")
for source in drive demo; do
  for way in offscreen window; do
    times=1
    [ "$source $way" = "drive window" ] && times=$runs
    for _ in $(seq "$times"); do
      for player in "${players[@]}"; do
        measure "$player" "$source" "$way" > "$scratch/figures"
        read -r before peak cpu < "$scratch/figures"
        label="the emulated drive (paranoia), $way"
        [ "$source" = demo ] && label="the demo disc, $way"
        [ "$player" = "$build_dir/lyrabox" ] || label="$label, at $BENCH_BEFORE"
        printf '%-52s %9s MB %5s MB %16d.%02d s\n' "$label" "$(megabytes "$before")" \
          "$(megabytes "$peak")" $((cpu / 1000)) $((cpu % 1000 / 10))
      done
    done
  done
done
