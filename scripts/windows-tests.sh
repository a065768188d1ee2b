#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows builds, built with MinGW-w64 and tested by CTest under Wine on a virtual
# display (tests/windows): the logic suites as they are, the Windows host's own suite,
# lyrabox.exe end to end on the demo disc, the installer, and, on the emulated CD drive
# of a Linux build, lyrabox.exe on Wine's own MCI CD audio device and our device
# compared with it.
#
# The program we ship is the 32-bit one, with its installer. Where the kernel runs
# 32-bit programs, the i686 build runs every test, on Wine's MCI over a 32-bit build of
# the emulated drive; where 64-bit Wine is there too, the x86_64 build meets Wine's MCI
# as well (its other tests would only repeat the i686 build's). Where the kernel runs no
# 32-bit programs (so 32-bit Wine cannot start), the x86_64 build runs every test but
# the installer's, and the i686 program, its installer and its tests are built only.
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
configure() {  # configure ARCH [OPTIONS...]: the build folder build/windows-ARCH
  local target=$1; shift
  rm -rf "build/windows-$target"  # from scratch, like the other builds
  cmake -S . -B "build/windows-$target" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DLYRABOX_WERROR=ON -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-w64-$target.cmake" \
    -DLYRABOX_LINUX_BUILD="$PWD/$linux_build" "${launcher[@]}" "$@" >/dev/null
}
build() { nice -n 10 cmake --build "$@" -j 2; }
# wine_tests ARCH [CTEST OPTIONS...]: the build's tests on a virtual display, their
# output in its ctest.log.
wine_tests() {
  local dir=build/windows-$1; shift
  xvfb-run -a -s "-screen 0 1024x768x24" \
    ctest --test-dir "$dir" --output-on-failure -j 2 "$@" > "$dir/ctest.log" 2>&1
}
passed() {  # passed ARCH STATUS
  grep -v '^Internal ctest' "build/windows-$1/ctest.log"
  [ "$2" = 0 ] || { echo "FAIL: the $1 Windows build's tests (above)" >&2; exit 1; }
}

runs_32_bit=; /lib/ld-linux.so.2 --version >/dev/null 2>&1 && runs_32_bit=yes
wine_64=; [ -x /usr/lib/wine/wine64 ] && wine_64=yes

# lyrabox-mci and the emulated drive (a 32-bit one too for 32-bit Wine), from the
# Linux build.
[ -f "$linux_build/build.ninja" ] ||
  cmake -S . -B "$linux_build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
build "$linux_build" --target lyrabox-mci lyrabox_emulated_drive \
  ${runs_32_bit:+lyrabox_emulated_drive_i686}

configure i686
build build/windows-i686
# The release archive, from the 32-bit program; the installer is made with the build.
build build/windows-i686 --target package >/dev/null
[ "$(cmake -E tar tf build/windows-i686/lyrabox-*-windows-x86.zip | sort | tr '\n' ' ')" = \
  "LICENSE.txt README.txt lyrabox.exe " ] || { echo "FAIL: the release archive" >&2; exit 1; }

# The Wine-bound tests run (mostly waiting on Wine) while the other build compiles. The
# two builds' tests run one after the other: tried beside each other on a loaded
# machine, Wine's MCI once found no CD drive.
if [ -n "$runs_32_bit" ]; then
  echo "== Windows: the i686 build's tests under Wine =="
  wine_tests i686 & tests=$!
  mci=i686
  if [ -n "$wine_64" ]; then
    configure x86_64
    build build/windows-x86_64 --target lyrabox lyrabox-probe mci-console
  fi
  status=0; wait "$tests" || status=$?
  passed i686 "$status"
  if [ -n "$wine_64" ]; then
    echo "== Windows: the x86_64 build on Wine's MCI =="
    status=0; wine_tests x86_64 -R '^windows\.(prefix|cd_prefix|mci_.*)$' || status=$?
    passed x86_64 "$status"
    mci="i686 and the x86_64"
  fi
  summary="the i686 Windows build under Wine, its installer included; Wine's MCI met by the $mci builds"
else
  configure x86_64
  build build/windows-x86_64
  echo "== Windows: the x86_64 build's tests under Wine =="
  status=0; wine_tests x86_64 || status=$?
  passed x86_64 "$status"
  summary="the x86_64 Windows build under Wine; Wine's MCI met by the x86_64 build; the i686 program, its installer and its tests built only (this kernel runs no 32-bit programs)"
fi
echo "$summary" > "$summary_file"
echo "Windows: all passed: $summary"
