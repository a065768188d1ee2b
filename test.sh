#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds from scratch with warnings as errors and runs every
# test twice: a normal build, then one under AddressSanitizer and
# UndefinedBehaviorSanitizer. Then fuzzes the six readers of outside input (command
# strings, bookmark files, the drive setting, the names service's answer, the names
# cache, a cue sheet's text) for a fixed time each with clang's libFuzzer, and builds
# the Windows program and its installer and tests them under Wine (on Wine's own MCI
# too, over the normal build's emulated CD drive). Ends with one summary line naming
# every part that ran; the exit status is 0 only when all passed.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy SDL_DISKAUDIODELAY=0
# No test reaches the real MusicBrainz service: the lookup's own tests use a local server.
export LYRABOX_LOOKUP=off
jobs=$(nproc)
fuzz_seconds=30
fuzz_targets=(command_parser bookmark_file drive_setting names_answer names_cache cue_text)
started=$SECONDS

step="start"
trap 'status=$?; [ $status -ne 0 ] && echo "test.sh: FAILED in the $step after $((SECONDS - started)) s"' EXIT

# ccache, when there is one, makes a second run rebuild only what changed, also from
# another checkout of the tree (paths are taken relative to it).
launcher=()
if command -v ccache > /dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
fi

configure() {
  local dir=$1; shift
  rm -rf "$dir"
  cmake -S . -B "$dir" -G Ninja -DLYRABOX_WERROR=ON \
    "${launcher[@]}" "$@"
}

run_suite() {
  local dir=$1; shift
  configure "$dir" "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

step="normal build"
echo "== normal build =="
# Optimised as users get it, without debug information, which costs a quarter of the
# compile time and serves no test.
run_suite build/test -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG"

step="sanitizer build"
echo "== AddressSanitizer and UndefinedBehaviorSanitizer build =="
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite build/sanitize -DLYRABOX_SANITIZE=ON \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1"

step="fuzz build"
echo "== fuzzing, ${fuzz_seconds} s per target =="
configure build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DLYRABOX_FUZZ=ON -DLYRABOX_TESTS=OFF
cmake --build build/fuzz -j "$jobs" --target lyrabox_fuzz_targets

# All targets at once: each has its own fixed time. New inputs go to the build's own
# corpus folder (the first one named), never into the checked-in seeds. A crash, a
# sanitizer report or an input that takes over 10 s ends that target and leaves the
# input under build/fuzz/crashes/. What the code under test says on standard error
# (a broken cue sheet is one line each time) is dropped; libFuzzer's own output and
# the sanitizers' reports still reach the log.
step="fuzz run"
mkdir -p build/fuzz/crashes
pids=()
for target in "${fuzz_targets[@]}"; do
  mkdir -p "build/fuzz/corpus/$target"
  build/fuzz/tests/fuzz/fuzz_$target -seed=1 -max_total_time=$fuzz_seconds -timeout=10 -close_fd_mask=2 \
    -artifact_prefix="build/fuzz/crashes/$target-" \
    "build/fuzz/corpus/$target" "tests/fuzz/corpus/$target" > "build/fuzz/$target.log" 2>&1 &
  pids+=($!)
done
failed=()
for i in "${!fuzz_targets[@]}"; do
  target=${fuzz_targets[$i]}
  if wait "${pids[$i]}"; then
    echo "fuzz $target: $(grep -o 'Done [0-9]* runs' "build/fuzz/$target.log"), no crash"
  else
    failed+=("$target")
    tail -n 40 "build/fuzz/$target.log"
    echo "fuzz $target FAILED; the input is:" build/fuzz/crashes/"$target"-*
  fi
done
[ ${#failed[@]} -eq 0 ]

step="Windows build"
echo "== Windows build (MinGW-w64) under Wine =="
scripts/windows-tests.sh build/test
windows=$(cat build/windows-tests.summary)

echo "test.sh: all passed (normal build, sanitizer build, ${#fuzz_targets[@]} fuzz targets" \
  "for ${fuzz_seconds} s each, $windows) in $((SECONDS - started)) s"
