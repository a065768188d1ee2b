#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# How long the player takes to start, to sound and to close, against a bare Qt window
# on the same machine in the same run, on a virtual display (Xvfb) with a session bus
# of its own:
#   start        from the program's start to the first time its window is exposed on
#                the display (the X server's Expose, as Qt logs it);
#   first sound  once Play can be pressed, it is clicked, on a disc image of noise; from
#                the click (as Qt logs it) to the first sound written by SDL's file
#                output, paced like a sound card, into a named pipe that
#                lyrabox-first-sound reads;
#   close        with the disc playing, from the key that answers the close prompt
#                (Escape, that is No) to the end of the process; the bare window asks
#                the same question in a box of its own when asked to close, answered
#                the same way.
# The bare window runs three times: empty, with one line of text (which makes Qt load
# the font database, as any window with text does), and with nine buttons bearing the
# player's captions, the yardstick the player is held to; the player runs twice: with
# the sound output, and silent (LYRABOX_AUDIO=none). With BENCH_BEFORE naming a
# revision (main, a commit) the player of that revision runs too, both ways, built in
# a folder of its own. The runs alternate between the programs; the medians are
# printed, and those of the players' start timelines (LYRABOX_TIMELINE).
#   [BENCH_BEFORE=REVISION] bench/startup.sh [RUNS] [BUILD-FOLDER]
set -euo pipefail

source "$(dirname "$0")/build.sh"
runs="${1:-15}"
build_dir="${2:-$source_dir/build/bench}"
bench_build lyrabox lyrabox-sound lyrabox-bare-window lyrabox-first-sound
bench_build_before lyrabox lyrabox-sound

scratch="$bench_scratch"
own_display
own_session
noise_disc "$scratch/disc.cue" 1
export QT_QPA_PLATFORM=xcb LYRABOX_CD="$scratch/disc.cue" SDL_AUDIODRIVER=disk
# Qt writes each X event it handles, stamped to the millisecond.
export QT_LOGGING_RULES="qt.qpa.events=true" QT_MESSAGE_PATTERN="%{time hh:mm:ss.zzz} %{message}"

# Milliseconds since midnight, from the clock the log's stamps come from.
millis() { local t=$1; echo $(( ((10#${t:0:2} * 60 + 10#${t:3:2}) * 60 + 10#${t:6:2}) * 1000 + 10#${t:9:3} )); }
now() { millis "$(date +%H:%M:%S.%N)"; }
between() { local d=$(( $2 - $1 )); echo $(( d < 0 ? d + 86400000 : d )); }
# waits_for WHAT COMMAND...: waits up to 20 s for COMMAND to succeed; ends the
# benchmark, naming WHAT, when it never does.
waits_for() {
  local what=$1
  shift
  for _ in $(seq 1000); do "$@" && return; sleep 0.02; done
  echo "no $what" >&2
  exit 1
}
# The stamp of the first line after line $2 of log $1 that mentions $3; waits for it.
stamp() {
  local line
  found() { line="$(tail -n +"$(( $2 + 1 ))" "$1" | grep -m1 -- "$3")"; }
  waits_for "$3 in $1" found "$@"
  millis "$line"
}

# measure bare|text|buttons|lyrabox|silent|before|before-silent: prints
# "start-ms close-ms first-sound-ms" (the last for the sound of a player only).
measure() {
  local log="$scratch/log" started pid window before player="" heard="" reader="" sound_ms=""
  case $1 in
    lyrabox | silent) player="$build_dir/lyrabox" ;;
    before | before-silent) player="$before_dir/lyrabox" ;;
  esac
  if [ -z "$player" ]; then
    local options=()
    [ "$1" = bare ] || options=("--$1")
    started=$(now)
    "$build_dir/bench/lyrabox-bare-window" "${options[@]}" 2>"$log" & pid=$!
  elif [ "${1%silent}" != "$1" ]; then
    started=$(now)
    LYRABOX_AUDIO=none LYRABOX_TIMELINE=1 "$player" 2>"$log" & pid=$!
  else
    heard="$scratch/heard"
    rm -f "$scratch/sound" "$heard"
    mkfifo "$scratch/sound"
    "$build_dir/bench/lyrabox-first-sound" "$scratch/sound" > "$heard" & reader=$!
    started=$(now)
    SDL_DISKAUDIOFILE="$scratch/sound" LYRABOX_TIMELINE=1 "$player" 2>"$log" & pid=$!
  fi
  local start_ms; start_ms=$(between "$started" "$(stamp "$log" 0 XCB_EXPOSE)")
  local title windows
  if [ -z "$player" ]; then
    title='^Bare window$' windows=2
    # Asked to close, it asks its question.
    xdotool windowfocus --sync "$(xdotool search --sync --onlyvisible --name "$title" | head -1)"
    xdotool key Escape
  else
    # Play, clicked as soon as it can be: the first poll of the disc enables it.
    can_play() {
      dbus-send --print-reply=literal --session --dest=org.mpris.MediaPlayer2.lyrabox \
        /org/mpris/MediaPlayer2 org.freedesktop.DBus.Properties.Get \
        string:org.mpris.MediaPlayer2.Player string:CanPlay 2>/dev/null | grep -q true
    }
    waits_for "Play enabled in $1" can_play
    before=$(wc -l < "$log")
    click "$(xdotool search --sync --onlyvisible --name '^Lyrabox  Version' | head -1)" play
    if [ -n "$heard" ]; then
      waits_for "sound of $1" test -s "$heard"
      sound_ms=$(between "$(stamp "$log" "$before" BUTTON_PRESS)" "$(cat "$heard")")
    fi
    plays() { [ "$(playerctl -p lyrabox status 2>/dev/null)" = Playing ]; }
    waits_for "play of $1" plays
    # Asked to close, it asks "Bookmark & Save before Closing ?".
    title='^Lyrabox$' windows=1  # the window's own title is longer
    dbus-send --print-reply=literal --session --dest=org.mpris.MediaPlayer2.lyrabox /org/mpris/MediaPlayer2 \
      org.mpris.MediaPlayer2.Quit > /dev/null
  fi
  # The question's box has that title; the bare window's box is the newer window.
  asked() { [ "$(xdotool search --onlyvisible --name "$title" | wc -l)" -ge "$windows" ]; }
  waits_for "close question of $1" asked
  window=$(xdotool search --onlyvisible --name "$title" | sort -n | tail -1)
  xdotool windowfocus --sync "$window"
  before=$(wc -l < "$log")
  xdotool key Escape
  wait "$pid" || true
  local ended; ended=$(now)
  [ -z "$reader" ] || wait "$reader" || true  # it ends with the player
  echo "$start_ms $(between "$(stamp "$log" "$before" XCB_KEY_PRESS)" "$ended") $sound_ms"
  grep -o 'timeline .*' "$log" >> "$scratch/$1.timeline" || true
}

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

programs=(bare text buttons lyrabox silent)
players=(lyrabox silent)
[ -z "$before_dir" ] || { programs+=(before before-silent); players+=(before before-silent); }
for _ in $(seq "$runs"); do
  for program in "${programs[@]}"; do measure "$program" >> "$scratch/$program"; done
done

echo "Start, first sound and close on $(uname -m), $(nproc) cores, Xvfb, $(date -u +%Y-%m-%d)," \
  "medians of $runs runs, load $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-44s %8s %12s %8s\n' "" "start" "first sound" "close"
declare -A labels=([bare]="bare Qt window" [text]="bare Qt window with a line of text"
                   [buttons]="bare Qt window with nine buttons"
                   [lyrabox]="Lyrabox" [silent]="Lyrabox, silent"
                   [before]="Lyrabox at ${BENCH_BEFORE:-}" [before-silent]="Lyrabox at ${BENCH_BEFORE:-}, silent")
declare -A start close sound
for program in "${programs[@]}"; do
  start[$program]="$(cut -d' ' -f1 "$scratch/$program" | median)"
  close[$program]="$(cut -d' ' -f2 "$scratch/$program" | median)"
  sound[$program]="$(cut -d" " -f3 "$scratch/$program" | { grep . || true; } | median)"
  printf '%-44s %6s ms %9s %s %6s ms\n' "${labels[$program]}" "${start[$program]}" \
    "${sound[$program]:--}" "$([ -n "${sound[$program]}" ] && echo ms || echo '  ')" "${close[$program]}"
done
# The goals: a start of at most 1.1 times the window with nine buttons, the first
# sound within 50 ms of the click, a close of at most 20 ms more than the bare window's.
for program in "${players[@]}"; do
  awk -v label="${labels[$program]}" -v s="${start[$program]}" -v b="${start[buttons]}" \
      -v e="${start[bare]}" -v c="${close[$program]}" -v k="${close[bare]}" 'BEGIN {
    printf "%s: start %.2f x nine buttons, %.2f x empty; close %+d ms on the bare window\n",
           label, s / b, s / e, c - k }'
done
# The players' own timelines, from the start of their processes: each step's median.
for program in "${players[@]}"; do
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
