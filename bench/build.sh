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
