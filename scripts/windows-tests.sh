#!/usr/bin/env bash
# The Windows build, built with MinGW-w64 and tested by CTest under Wine on a virtual
# display (tests/windows): the logic suites as they are, the Windows host's own suite,
# lyrabox.exe end to end on the demo disc, and, on the emulated CD drive of a Linux
# build, lyrabox.exe on Wine's own MCI CD audio device and our device compared with it.
#
# The program we ship is the 32-bit one. On a machine whose kernel cannot run 32-bit
# programs (so 32-bit Wine cannot start), the tests run on a 64-bit build of the same
# sources, and the 32-bit program and its tests are built only. The emulated drive is
# a 64-bit library, so Wine's MCI is tested on the 64-bit build only.
# The last line says what ran; it is also left in build/windows-tests.summary.
#
# usage: scripts/windows-tests.sh [LINUX_BUILD]
#   LINUX_BUILD: a Linux build of this tree for the emulated drive and lyrabox-mci
#   (build/test, which test.sh makes; configured and built here when missing)
set -euo pipefail
cd "$(dirname "$0")/.."
linux_build=${1:-build/test}
summary_file=build/windows-tests.summary
rm -f "$summary_file"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
configure() {  # configure BUILD_DIR ARCH [OPTIONS...]
  local dir=$1 target=$2; shift 2
  rm -rf "$dir"  # from scratch, like the other builds
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLYRABOX_WERROR=ON \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-$target.cmake "${launcher[@]}" "$@" >/dev/null
}
build() { nice -n 10 cmake --build "$@" -j 2; }

if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then arch=i686; else arch=x86_64; fi
tested=build/windows-$arch
if [ "$arch" = x86_64 ]; then
  # The emulated drive and lyrabox-mci, from the Linux build.
  [ -f "$linux_build/build.ninja" ] ||
    cmake -S . -B "$linux_build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
  build "$linux_build" --target lyrabox-mci lyrabox_emulated_drive
  configure "$tested" x86_64 -DLYRABOX_LINUX_BUILD="$PWD/$linux_build"
  mci="its MCI on the emulated drive included"
else
  configure "$tested" i686
  mci="not its MCI: the emulated drive is a 64-bit library, which 32-bit Wine cannot load"
fi
build "$tested"

# The tests run (mostly waiting on Wine) while the 32-bit build compiles beside them.
echo "== Windows: the $arch build's tests under Wine =="
xvfb-run -a -s "-screen 0 1024x768x24" \
  ctest --test-dir "$tested" --output-on-failure -j 2 > "$tested/ctest.log" 2>&1 &
tests=$!
if [ "$arch" != i686 ]; then
  configure build/windows-i686 i686
  build build/windows-i686
fi
# The release archive, from the 32-bit program.
build build/windows-i686 --target package >/dev/null
[ "$(cmake -E tar tf build/windows-i686/lyrabox-*-windows-x86.zip | sort | tr '\n' ' ')" = \
  "README.txt lyrabox.exe " ] || { echo "FAIL: the release archive" >&2; exit 1; }
status=0
wait "$tests" || status=$?
grep -v '^Internal ctest' "$tested/ctest.log"
[ "$status" = 0 ] || { echo "FAIL: the Windows tests (above)" >&2; exit 1; }

summary="the $arch Windows build under Wine, $mci"
[ "$arch" = i686 ] || summary+="; the i686 program and its tests built only (this kernel runs no 32-bit programs)"
echo "$summary" > "$summary_file"
echo "Windows: all passed: $summary"
