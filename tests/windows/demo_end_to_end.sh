#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# lyrabox.exe end to end under Wine on the demo disc (our own device core), driven from
# outside by lyrabox-probe.exe: the controls where designed, the disc's own names on
# the time display's tooltip, Play, Stop && Bookmark, the close, a restart that offers
# the bookmark, the end of the session in its two steps (a cancelled one too); and,
# without LYRABOX_CD, the system's own device on a Wine without a CD drive, which
# refuses to open.
#
# usage: demo_end_to_end.sh WINE LYRABOX_EXE PROBE_EXE WORK_FOLDER   (WINEPREFIX set)
set -euo pipefail
. "$(dirname "$0")/../support/end_to_end.sh"
wine=$1 lyrabox=$2 probe_exe=$3 work=$4
on_failure() { import -window root "$work/failure.png" 2>/dev/null && echo "the screen: $work/failure.png" >&2; }

rm -rf "$work" "$WINEPREFIX/drive_c/lyrabox"
mkdir -p "$work"
cd "$work"
probe() { "$wine" "$probe_exe" "$@" | tr -d '\r'; }
start() { LYRABOX_CD=${1-} LYRABOX_MCI_LOG=mci.log "$wine" "$lyrabox" & pid=$!; }
until_logged() { wait_until "the device log to show $*" logged mci.log "$@"; }

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
# The demo disc names itself, once the first poll has scanned it.
[ "$(probe tooltip)" = "Track 1: Study in A, The Lyrabox Demo Disc" ] ||
  fail "the time display's tooltip does not name the demo disc's first track"
probe click 101 && until_logged $'^play cd\t0'
# The demo disc's id, the same on Linux: its volume serial in hexadecimal.
bookmark=$WINEPREFIX/drive_c/lyrabox/1112503
probe click 111 && until_logged $'^stop cd wait\t0'
# The next poll reads the stopped disc back, so the close asks nothing.
until_logged $'^stop cd wait\t0' $'^status cd mode\t0\tstopped'
[ "$(tr -d '\r' < "$bookmark" | grep -c '^[0-9][0-9]*$')" = 3 ] || fail "no bookmark in $bookmark"
probe close && ended_with 0
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
ended_with 0

# The end of the session in two steps. The query asks the close question (Yes saves the
# bookmark) and answers that the session may end, but stops nothing: a shutdown that
# another program cancels leaves the disc playing. The end stops the disc, closes the
# device and ends the program.
query_answered() {  # query_answered YES_OR_NO: the query, its question answered so
  probe query > query.txt & query=$!
  probe answer "Bookmark & Save before Closing ?" "$1" >/dev/null
  wait "$query" && [ "$(cat query.txt)" = 1 ] ||
    fail "the query did not answer that the session may end"
}
played_on_after() { tail -n "+$(($1 + 1))" mci.log | grep -q $'^status cd mode\t0\tplaying'; }
rm -f "$bookmark"
: > mci.log
start demo
probe click 101 && until_logged $'^status cd mode\t0\tplaying'
query_answered 6
[ -f "$bookmark" ] || fail "Yes to the query's question saved no bookmark"
probe end 0
wait_until "the disc to play on after the cancelled end" played_on_after "$(wc -l < mci.log)"
! grep -q '^stop cd wait' mci.log || fail "the query or the cancelled end stopped the disc"
query_answered 7
probe end 1
ended_with 0
tail -2 mci.log | cut -f1 | tr '\n' ';' | grep -qx 'stop cd wait;close all;' ||
  fail "the end of the session did not stop the disc and close the device"

# Without LYRABOX_CD the system's own device is opened; Wine here has no CD drive, so
# the open fails, the device's error text is shown and the program ends with a failure.
: > mci.log
start
probe answer "" 1 | grep -q '[a-z]' || fail "no error text in the box"
ended_with 1
logged mci.log $'^open cdaudio alias cd wait shareable\t[1-9]' ||
  fail "the log does not show the system's device refusing the open"
echo "Windows: lyrabox.exe on the demo disc passed"
