#!/usr/bin/env bash
# Installs what is missing, builds from scratch and runs every test twice: a normal
# build, then one under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy SDL_DISKAUDIODELAY=0
jobs=$(nproc)

run_suite() {
  local dir=$1; shift
  rm -rf "$dir"
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

echo "== normal build =="
run_suite build/test
echo "== AddressSanitizer and UndefinedBehaviorSanitizer build =="
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite build/sanitize -DLYRABOX_SANITIZE=ON
echo "== Windows build (MinGW-w64) under Wine =="
scripts/windows-tests.sh
