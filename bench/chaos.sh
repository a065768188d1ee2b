#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The player's memory over some minutes of everything at once, in a real window on a
# virtual display (Xvfb): clicks on its buttons at random, its boxes answered Yes or No,
# calls of the desktop's media controls, and discs swapped by hand in the emulated drive
# of the tests (tests/emulated_drive), two images of noise read through libcdio and
# paranoia as a real drive is. The sound goes to SDL's dummy output, paced like a sound
# card; LYRABOX_AUDIO=none in the environment runs it silent. The same SEED makes the
# same moves. Prints the resident memory every 30 s and at its peak; a player that ends
# before the time is up is reported. With BENCH_BEFORE naming a revision (main, a
# commit) the player of that revision runs first, the same way, built in a folder of
# its own.
#   [BENCH_BEFORE=REVISION] bench/chaos.sh [SECONDS] [SEED] [BUILD-FOLDER]
set -euo pipefail

source "$(dirname "$0")/build.sh"
seconds="${1:-180}"
seed="${2:-1}"
build_dir="${3:-$source_dir/build/bench}"
bench_build_drive_players

scratch="$bench_scratch"
noise_disc "$scratch/a.cue" 3 2 4
noise_disc "$scratch/b.cue" 1 4 2
own_display
own_session
export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy

megabytes() { awk -v key="$1:" '$1 == key { printf "%.1f", $2 / 1024 }' "/proc/$2/status"; }
pick() { shift $((RANDOM % $#)); echo "$1"; }
controls=(play pause stopbtn btrack ftrack rew ff eject Bookmark)

# chaos PLAYER NAME: one run of PLAYER, in a folder NAME of its own.
chaos() {
  local run="$scratch/$2" pid window began next_report=0 swap tray_out=0 box
  mkdir -p "$run"
  # The tray opened and pushed back in by hand, with the other disc each time; the
  # emulated drive takes 16 such events.
  {
    printf 'device /dev/sr0\ndisc %s/a.cue\n' "$scratch"
    for swap in $(seq 8); do
      printf 'open-when %s/out%d\nclose-when %s/in%d %s/%s.cue\n' \
        "$run" "$swap" "$run" "$swap" "$scratch" "$( ((swap % 2)) && echo b || echo a)"
    done
  } > "$run/drive"
  swap=0
  RANDOM=$seed
  LD_PRELOAD="$drive_library" LYRABOX_EMULATED_DRIVE="$run/drive" LYRABOX_CD=/dev/sr0 \
    LYRABOX_HOME="$run/home" "$1" > "$run/player.log" 2>&1 &
  pid=$!
  window=$(xdotool search --sync --onlyvisible --name '^Lyrabox  Version' | head -1)
  play_through_media_controls "the emulated drive"
  began=$SECONDS
  while ((SECONDS - began < seconds)); do
    kill -0 "$pid" 2>/dev/null ||
      { echo "the player ended after $((SECONDS - began)) s:"; cat "$run/player.log"; exit 1; }
    if ((SECONDS - began >= next_report)); then
      printf '%5d s  resident %5s MB  peak %5s MB\n' $((SECONDS - began)) \
        "$(megabytes VmRSS "$pid")" "$(megabytes VmHWM "$pid")"
      next_report=$((next_report + 30))
    fi
    # A box the player shows (titled "Lyrabox" alone) is answered first, as a user must.
    box=$(xdotool search --onlyvisible --name '^Lyrabox$' 2>/dev/null | head -1 || true)
    if [ -n "$box" ]; then
      xdotool windowfocus "$box" key "$(pick Return Escape)" 2>/dev/null || true
    else
      case $((RANDOM % 10)) in
        0 | 1) playerctl -p lyrabox "$(pick play pause play-pause next previous stop)" 2>/dev/null || true ;;
        2) playerctl -p lyrabox position "$(pick 30+ 10- 5+)" 2>/dev/null || true ;;
        3) # Eight swaps, spread over the run.
           if ((tray_out)); then touch "$run/in$swap"; tray_out=0
           elif ((swap < 8 && (SECONDS - began) * 8 >= swap * seconds)); then
             swap=$((swap + 1)); touch "$run/out$swap"; tray_out=1; fi ;;
        *) click "$window" "$(pick "${controls[@]}")" 2>/dev/null || true ;;
      esac
    fi
    sleep "0.$((2 + RANDOM % 8))"
  done
  printf '%5d s  resident %5s MB  peak %5s MB\n' $((SECONDS - began)) \
    "$(megabytes VmRSS "$pid")" "$(megabytes VmHWM "$pid")"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}

echo "Chaos on the player, $(uname -m), $(date -u +%Y-%m-%d), ${seconds} s, seed $seed," \
  "sound ${LYRABOX_AUDIO:-on}"
if [ -n "$before_dir" ]; then
  echo "At $BENCH_BEFORE:"
  chaos "$before_dir/lyrabox" before
  echo "Now:"
fi
chaos "$build_dir/lyrabox" now
