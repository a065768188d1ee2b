#!/usr/bin/env bash
# The Windows build, built with MinGW-w64 and tested under Wine on a virtual display:
# the logic suites as they are, the Windows host's own suite, and lyrabox.exe end to end
# on the demo disc, driven from outside by lyrabox-probe.exe.
#
# The program we ship is the 32-bit one. On a machine whose kernel cannot run 32-bit
# programs (so 32-bit Wine cannot start), the tests run on a 64-bit build of the same
# sources and the 32-bit program is only built.
#
# usage: scripts/windows-tests.sh            (from test.sh; needs scripts/install-deps.sh)
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" != --on-display ]; then
  if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then arch=i686; else arch=x86_64; fi
  configure() {  # configure BUILD_DIR ARCH [OPTIONS...]
    local dir=$1 target=$2; shift 2
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLYRABOX_WERROR=ON \
      -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-$target.cmake "${launcher[@]}" "$@" >/dev/null
  }
  build=build/windows-$arch
  rm -rf build/windows-i686 build/windows-x86_64  # from scratch, like the other builds
  configure "$build" "$arch"
  nice -n 10 cmake --build "$build" -j 2 --target lyrabox lyrabox-probe test_platform \
    test_bookmarks test_engine test_windows_host
  if [ "$arch" != i686 ]; then
    configure build/windows-i686 i686 -DLYRABOX_TESTS=OFF
    nice -n 10 cmake --build build/windows-i686 -j 2 --target lyrabox
  fi
  # The release archive, from the 32-bit program.
  nice -n 10 cmake --build build/windows-i686 -j 2 --target package >/dev/null
  [ "$(cmake -E tar tf build/windows-i686/lyrabox-*-windows-x86.zip | sort | tr '\n' ' ')" = \
    "README.txt lyrabox.exe " ] || { echo "FAIL: the release archive" >&2; exit 1; }
  wine=/usr/lib/wine/wine; [ "$arch" = i686 ] || wine=/usr/lib/wine/wine64
  export WINEPREFIX=$PWD/$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --on-display "$PWD/$build" "$wine"
fi

build=$2 wine=$3
fail() {  # what the screen showed goes beside the log, for a look at a failure
  import -window root "$build/failure.png" 2>/dev/null || true
  echo "FAIL: $* (the screen: $build/failure.png)" >&2
  exit 1
}
[ -d "$WINEPREFIX" ] || "$wine" wineboot -i >/dev/null 2>&1
trap '"${wine%/*}/wineserver${wine##*wine}" -k 2>/dev/null || true' EXIT

echo "== Windows: logic suites and the Windows host under Wine =="
for suite in ${LYRABOX_WINDOWS_SUITES-platform bookmarks engine windows_host}; do
  "$wine" "$build/tests/windows/test_$suite.exe" --gtest_brief=1 || fail "test_$suite"
done

echo "== Windows: lyrabox.exe end to end on the demo disc =="
work=$build/end-to-end
rm -rf "$work" "$WINEPREFIX/drive_c/lyrabox"
mkdir -p "$work"
cd "$work"
probe() { "$wine" "$build/tests/windows/lyrabox-probe.exe" "$@" | tr -d '\r'; }
until_logged() {  # until_logged LINE [LATER]: waits for a line of the device log (and LATER after it)
  for _ in $(seq 600); do
    sed -n "/$1/,\$p" mci.log 2>/dev/null | grep -q "${2:-$1}" && return
    sleep 0.1
  done
  fail "the device log never showed: $1 ${2:-}"
}
start() { LYRABOX_CD=${1-} LYRABOX_MCI_LOG=mci.log "$wine" "$build/lyrabox.exe" & pid=$!; }
ended() {  # ended STATUS: the program has ended with STATUS
  for _ in $(seq 600); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "lyrabox.exe did not end"
  local status=0; wait "$pid" || status=$?
  [ "$status" = "$1" ] || fail "lyrabox.exe ended with $status, not $1"
}

start demo
# Client area and controls at 96 dots per inch, in tab order: id left top width height
# caption (the displays' texts change with the poll, so only the buttons' are compared).
probe controls | awk '$1 == 100 || $1 == 109 || $1 == 110 {NF = 5} 1' > controls.txt
diff -u - controls.txt <<'PLACES' || fail "the window's controls are not where designed"
client 339 130
100 8 0 137 49
101 152 0 97 25 >
102 248 0 33 25 ||
103 280 0 33 25 x
104 152 24 33 25 |<<
105 184 24 33 25 >>|
106 216 24 33 25 <<
107 248 24 33 25 >>
108 280 24 33 25 ejc
109 8 64 177 17
110 192 64 121 17
111 112 96 113 25 Stop && Bookmark
PLACES
probe click 101 && until_logged $'^play cd\t0'
# The demo disc's id, the same on Linux: its volume serial in hexadecimal.
bookmark=$WINEPREFIX/drive_c/lyrabox/1112503
probe click 111 && until_logged $'^stop cd wait\t0'
# The next poll reads the stopped disc back, so the close asks nothing.
until_logged $'^stop cd wait\t0' $'^status cd mode\t0\tstopped'
[ "$(tr -d '\r' < "$bookmark" | grep -c '^[0-9][0-9]*$')" = 3 ] || fail "no bookmark in $bookmark"
probe close && ended 0
tail -2 mci.log | cut -f1 | tr '\n' ';' | grep -qx 'stop cd wait;close all;' ||
  fail "the device was not stopped and closed at the end"

# A restart offers the bookmark, and Yes plays from there.
start demo
probe click 101
probe answer "Would you like to start playing at last bookmark ?" 6 >/dev/null
position=$(tr -d '\r' < "$bookmark" | xargs printf '%02d:%02d:%02d')
until_logged "^play cd from $position"$'\t'
probe close
probe answer "Bookmark & Save before Closing ?" 7 >/dev/null
ended 0

# Without LYRABOX_CD the system's own device is opened; Wine here has no drive, so the
# device's error text is shown and the program ends with a failure.
: > mci.log
start
probe answer "" 1 | grep -q '[a-z]' || fail "no error text in the box"
ended 1
[ ! -s mci.log ] || fail "the real device must not go through our own device's log"
echo "Windows: all passed"
