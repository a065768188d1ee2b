#!/usr/bin/env bash
# How long the player takes to start and to close, against a bare Qt window on the same
# machine in the same run, on a virtual display (Xvfb) with a session bus of its own:
#   start  from the program's start to the first time its window is exposed on the
#          display (the X server's Expose, as Qt logs it);
#   close  with the demo disc playing, from the key that answers the close prompt
#          (Escape, that is No) to the end of the process; the bare window asks the
#          same question in a box of its own when asked to close, answered the same way.
# The bare window runs three times: empty, with one line of text (which makes Qt load
# the font database, as any window with text does), and with nine buttons bearing the
# player's captions, the yardstick the player is held to; the player runs twice: with
# SDL's file output paced like a sound card, and silent (LYRABOX_AUDIO=none), which
# opens no sound output. The runs alternate between the programs; the medians are
# printed, and those of the player's start timeline (LYRABOX_TIMELINE).
#   bench/startup.sh [RUNS] [BUILD-FOLDER]
set -euo pipefail

source "$(dirname "$0")/build.sh"
runs="${1:-15}"
build_dir="${2:-$source_dir/build/bench}"
bench_build lyrabox lyrabox-sound lyrabox-bare-window

scratch="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$scratch"
}
trap cleanup EXIT

# A display and a session bus of its own.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$scratch/display")"
dbus-daemon --session --fork --print-address=3 --print-pid=4 3>"$scratch/bus" 4>"$scratch/bus.pid"
pids+=("$(cat "$scratch/bus.pid")")
export DBUS_SESSION_BUS_ADDRESS="$(cat "$scratch/bus")"

mkdir -p -m 700 "$scratch/runtime"
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$scratch/runtime" LYRABOX_CD=demo \
  LYRABOX_HOME="$scratch/home" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null
# Qt writes each X event it handles, stamped to the millisecond.
export QT_LOGGING_RULES="qt.qpa.events=true" QT_MESSAGE_PATTERN="%{time hh:mm:ss.zzz} %{message}"

# Milliseconds since midnight, from the clock the log's stamps come from.
millis() { local t=$1; echo $(( ((10#${t:0:2} * 60 + 10#${t:3:2}) * 60 + 10#${t:6:2}) * 1000 + 10#${t:9:3} )); }
now() { millis "$(date +%H:%M:%S.%N)"; }
between() { local d=$(( $2 - $1 )); echo $(( d < 0 ? d + 86400000 : d )); }
# The stamp of the first line after line $2 of log $1 that mentions $3; waits for it.
stamp() {
  local line
  for _ in $(seq 1000); do
    line="$(tail -n +"$(( $2 + 1 ))" "$1" | grep -m1 -- "$3" || true)"
    [ -n "$line" ] && { millis "$line"; return; }
    sleep 0.02
  done
  echo "no $3 in $1:" >&2; cat "$1" >&2; exit 1
}

measure() {  # bare|text|lyrabox|silent: prints "start-ms close-ms"
  local log="$scratch/log" started pid window before
  started=$(now)
  if [ "$1" = bare ]; then
    "$build_dir/bench/lyrabox-bare-window" 2>"$log" & pid=$!
  elif [ "$1" = text ] || [ "$1" = buttons ]; then
    "$build_dir/bench/lyrabox-bare-window" "--$1" 2>"$log" & pid=$!
  elif [ "$1" = silent ]; then
    LYRABOX_AUDIO=none LYRABOX_TIMELINE=1 "$build_dir/lyrabox" 2>"$log" & pid=$!
  else
    LYRABOX_TIMELINE=1 "$build_dir/lyrabox" 2>"$log" & pid=$!
  fi
  local start_ms; start_ms=$(between "$started" "$(stamp "$log" 0 XCB_EXPOSE)")
  local title windows
  if [ "$1" = bare ] || [ "$1" = text ] || [ "$1" = buttons ]; then
    title='^Bare window$' windows=2
    # Asked to close, it asks its question.
    xdotool windowfocus --sync "$(xdotool search --sync --onlyvisible --name "$title" | head -1)"
    xdotool key Escape
  else
    # Play, then ask to close: the prompt "Bookmark & Save before Closing ?" opens.
    play_through_media_controls "the demo disc"
    title='^Lyrabox$' windows=1  # the window's own title is longer
    dbus-send --print-reply=literal --session --dest=org.mpris.MediaPlayer2.lyrabox /org/mpris/MediaPlayer2 \
      org.mpris.MediaPlayer2.Quit > /dev/null
  fi
  # The question's box has that title; the bare window's box is the newer window.
  for _ in $(seq 250); do
    [ "$(xdotool search --onlyvisible --name "$title" | wc -l)" -ge "$windows" ] && break
    sleep 0.02
  done
  window=$(xdotool search --onlyvisible --name "$title" | sort -n | tail -1)
  xdotool windowfocus --sync "$window"
  before=$(wc -l < "$log")
  xdotool key Escape
  wait "$pid" || true
  local ended; ended=$(now)
  echo "$start_ms $(between "$(stamp "$log" "$before" XCB_KEY_PRESS)" "$ended")"
  grep -o 'timeline .*' "$log" >> "$scratch/$1.timeline" || true
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

programs=(bare text buttons lyrabox silent)
for _ in $(seq "$runs"); do
  for program in "${programs[@]}"; do measure "$program" >> "$scratch/$program"; done
done

echo "Start and close on $(uname -m), $(nproc) cores, Xvfb, $(date -u +%Y-%m-%d), medians of $runs runs"
printf '%-40s %8s %8s\n' "" "start" "close"
declare -A labels=([bare]="bare Qt window" [text]="bare Qt window with a line of text"
                   [buttons]="bare Qt window with nine buttons"
                   [lyrabox]="Lyrabox, demo disc playing at the close"
                   [silent]="the same, played silently")
declare -A start close
for program in "${programs[@]}"; do
  start[$program]="$(cut -d' ' -f1 "$scratch/$program" | median)"
  close[$program]="$(cut -d' ' -f2 "$scratch/$program" | median)"
  printf '%-40s %6s ms %6s ms\n' "${labels[$program]}" "${start[$program]}" "${close[$program]}"
done
# The goals: a start of at most 1.2 times the window with nine buttons, a close of at
# most 20 ms more than the bare window's.
for program in lyrabox silent; do
  awk -v label="${labels[$program]}" -v s="${start[$program]}" -v b="${start[buttons]}" \
      -v e="${start[bare]}" -v c="${close[$program]}" -v k="${close[bare]}" 'BEGIN {
    printf "%s: start %.2f x nine buttons, %.2f x empty; close %+d ms on the bare window\n",
           label, s / b, s / e, c - k }'
done
# The player's own timeline, from the start of its process: each step's median.
for program in lyrabox silent; do
  echo "Timeline of the start, ${labels[$program]}:"
  sed -E 's/^timeline +([0-9.]+) ms +(.*)$/\2\t\1/' "$scratch/$program.timeline" | awk -F'\t' '
    !($1 in n) { order[++steps] = $1 }
    { n[$1]++; v[$1, n[$1]] = $2 + 0 }
    END {
      for (s = 1; s <= steps; s++) {
        k = order[s]; m = n[k]
        for (i = 2; i <= m; i++)
          for (j = i; j > 1 && v[k, j - 1] > v[k, j]; j--) { t = v[k, j]; v[k, j] = v[k, j - 1]; v[k, j - 1] = t }
        printf "  %8.1f ms  %s\n", (m % 2) ? v[k, (m + 1) / 2] : (v[k, m / 2] + v[k, m / 2 + 1]) / 2, k
      }
    }'
done
