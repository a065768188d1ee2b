# Sourced by the benchmarks: bench_build TARGET... makes an optimised build of its own
# of those targets in $build_dir (default build/bench), its configure log beside it.
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

bench_build() {
  cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DLYRABOX_BENCH=ON -DLYRABOX_TESTS=OFF > "$build_dir.configure.log" 2>&1 ||
    { cat "$build_dir.configure.log"; exit 1; }
  cmake --build "$build_dir" -j2 --target "$@" > /dev/null
}
