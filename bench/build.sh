# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the benchmarks. bench_build TARGET... makes an optimised build of its own
# of those targets in $build_dir (default build/bench), its configure log beside it.
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

bench_build() {
  mkdir -p "$build_dir"
  cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DLYRABOX_BENCH=ON -DLYRABOX_TESTS=OFF > "$build_dir.configure.log" 2>&1 ||
    { cat "$build_dir.configure.log"; exit 1; }
  cmake --build "$build_dir" -j2 --target "$@" > /dev/null
}

# bench_build_before TARGET...: with BENCH_BEFORE naming a revision (main, a commit),
# builds those targets of that revision, its source taken from git, in $build_dir-before,
# which before_dir then names; before_dir is empty without BENCH_BEFORE.
bench_build_before() {
  before_dir=""
  [ -n "${BENCH_BEFORE:-}" ] || return 0
  before_dir="$build_dir-before"
  rm -rf "$before_dir.source"
  mkdir -p "$before_dir.source"
  git -C "$source_dir" archive "$BENCH_BEFORE" | tar -x -C "$before_dir.source"
  (source_dir="$before_dir.source" build_dir="$before_dir" && bench_build "$@")
}

# bench_build_drive_players: the player and its sound, of this tree and of BENCH_BEFORE's
# revision, and the emulated drive, which drive_library then names.
bench_build_drive_players() {
  bench_build lyrabox lyrabox-sound lyrabox_emulated_drive
  bench_build_before lyrabox lyrabox-sound
  drive_library="$(find "$build_dir" -name liblyrabox_emulated_drive.so | head -1)"
}

# A scratch folder, the processes the benchmark starts in the background (of its own
# shell, not of a subshell) and its session bus: all go when the benchmark ends.
bench_scratch="$(mktemp -d)"
bench_bus=""
bench_cleanup() {
  local started
  started=$(jobs -p)
  [ -z "$started" ] || kill $started 2>/dev/null || true
  [ -z "$bench_bus" ] || kill "$bench_bus" 2>/dev/null || true
  rm -rf "$bench_scratch"
}
trap bench_cleanup EXIT

# own_display: a virtual display (Xvfb) of the benchmark's own, in DISPLAY.
own_display() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$bench_scratch/display" 2>/dev/null &
  for _ in $(seq 100); do [ -s "$bench_scratch/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$bench_scratch/display")"
}

# own_session: a session bus of the benchmark's own, a runtime folder and a home for
# the player's files; the names lookup off (a benchmark never asks the real service).
own_session() {
  dbus-daemon --session --fork --print-address=3 --print-pid=4 3>"$bench_scratch/bus" \
    4>"$bench_scratch/bus.pid"
  bench_bus="$(cat "$bench_scratch/bus.pid")"
  mkdir -p -m 700 "$bench_scratch/runtime"
  export DBUS_SESSION_BUS_ADDRESS="$(cat "$bench_scratch/bus")" \
    XDG_RUNTIME_DIR="$bench_scratch/runtime" LYRABOX_HOME="$bench_scratch/home" LYRABOX_LOOKUP=off
}

# noise_disc CUE MINUTES...: a disc image of noise (as unlike silence as music is), one
# track of each length given.
noise_disc() {
  local cue=$1 start=0 track=0 minutes
  shift
  local bin="${cue%.cue}.bin"
  : > "$bin"
  printf 'FILE "%s" BINARY\n' "$(basename "$bin")" > "$cue"
  for minutes in "$@"; do
    track=$((track + 1))
    printf '  TRACK %02d AUDIO\n    INDEX 01 %02d:00:00\n' "$track" "$start" >> "$cue"
    head -c $((minutes * 60 * 75 * 2352)) /dev/urandom >> "$bin"
    start=$((start + minutes))
  done
}

# click WINDOW CONTROL: clicks the control (its name in ui/layout/main_window_layout.h: play,
# ff, Bookmark ...) of the player's window WINDOW, found from its place in that table
# and the window's size (the menu bar above the controls).
click() {
  eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(WIDTH|HEIGHT)=')"
  local x y
  read -r x y <<< "$(awk -v control="$2" -v width="$WIDTH" -v height="$HEIGHT" -F'[{},;= ]+' '
    $0 ~ "kClientWidth =" { client_width = $(NF - 1) }
    $0 ~ "kClientHeight =" { client_height = $(NF - 1) }
    $2 == "Control::" control {
      scale = width / client_width
      printf "%d %d\n", ($4 + $6 / 2) * scale, height - client_height * scale + ($5 + $7 / 2) * scale
    }' "$source_dir/ui/layout/main_window_layout.h")"
  xdotool mousemove --window "$1" "$x" "$y" click 1
}

# play_through_media_controls WHAT: presses Play through the media controls until the
# player says it plays (the first press may come before the window takes it); ends the
# benchmark, naming WHAT, when it never does.
play_through_media_controls() {
  for _ in $(seq 50); do
    [ "$(playerctl -p lyrabox status 2>/dev/null)" = Playing ] && return
    playerctl -p lyrabox play 2>/dev/null || true
    sleep 0.3
  done
  [ "$(playerctl -p lyrabox status)" = Playing ] || { echo "$1 did not play" >&2; exit 1; }
}
