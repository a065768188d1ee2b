#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# lyrabox.exe on Wine's own MCI CD audio device (LYRABOX_CD unset), over the emulated
# CD drive holding a three-track image, driven from outside by lyrabox-probe.exe:
#   1. the window appears and the disc is scanned: its track count and lengths show;
#   2. Play: the device log shows the system device's play, and the time moves on;
#   3. Stop && Bookmark writes c:\lyrabox\<id>: the volume serial Wine reports for d:\,
#      which is the id the Linux build gives the same image;
#   4. ejc opens the tray and the window empties; the tray pushed back in by hand (a
#      trigger file) brings the disc back, scanned again;
#   5. a restart offers to resume at the bookmark; /Play resumes by itself; /Play on
#      another image, one without a bookmark, hands it to the other player.
# Wine has no DirectSound here (dsound=d), so its device plays through the drive's
# analog output and reads the position from the drive, which moves on in real time.
#
# usage: mci_end_to_end.sh WINE LYRABOX_EXE PROBE_EXE DRIVE_LIBRARY LYRABOX_MCI CD_PREFIX WORK
# (CD_PREFIX made by scripts/wine-cd-drive.sh, with its own disc)
set -euo pipefail
. "$(dirname "$0")/../support/end_to_end.sh"
wine=$1 lyrabox=$2 probe_exe=$3 library=$4 linux_mci=$5 prefix=$6 work=$7
cd_drive_script=$(cd "$(dirname "$0")/../../scripts" && pwd)/wine-cd-drive.sh
server=${wine%/*}/wineserver
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;dsound=d"
on_failure() { import -window root "$work/failure.png" 2>/dev/null && echo "the screen: $work/failure.png" >&2; }
trap '"$server" -k 2>/dev/null || true' EXIT

rm -rf "$work" "$prefix/drive_c/lyrabox"
mkdir -p "$work"
cd "$work"
"$cd_drive_script" "$prefix" "$prefix/disc.cue"  # the prefix's own disc in the drive
# The drive as the prefix has it, with a log and a tray that goes back in when
# tray-in appears. Every Wine process gets it: the first one starts Wine's server.
drive() {
  printf 'log %s\nclose-when %s\n' "$work/drive.log" "$work/tray-in" |
    cat "$prefix/drive.txt" - > drive.txt
}
with_drive() { LD_PRELOAD=$library LYRABOX_EMULATED_DRIVE=$work/drive.txt "$@"; }
probe() { with_drive "$wine" "$probe_exe" "$@" | tr -d '\r'; }
start() {
  : > mci.log
  with_drive env LYRABOX_MCI_LOG=mci.log "$wine" "$lyrabox" "$@" & pid=$!
}
until_logged() { wait_until "the device log to show $*" logged mci.log "$@"; }
shows() { [ "$(probe text "$1")" = "$2" ]; }
shows_like() { probe text "$1" | grep -qx -- "$2"; }
# The other CD player of the AutoPlay hand-over, on a drive E: of its own.
other=$work/drive_e/program\ files/Plus!/DeluxeCD
mkdir -p "$other"
cp "$probe_exe" "$other/deluxecd.exe"
ln -sfn "$work/drive_e" "$prefix/dosdevices/e:"
drive

# 1. The window and the scan.
start
until_logged $'^status cd length track 3\t0'
wait_until "the disc's totals" shows 109 "Tracks: 3  Total time: 00:14:74"
wait_until "the first track's length" shows 110 "Track time: 00:04:00"

# 2. Play, and the time display moves on.
probe click 101 && until_logged $'^play cd\t0'
wait_until "the time display to move on" shows_like 100 '\[01\] 00:0[1-9]'

# 3. Stop && Bookmark, under the id Wine reports and the Linux build gives.
probe click 111 && until_logged $'^stop cd wait\t0'
id=$(probe serial 'd:\')
linux_id=$(printf 'open cdaudio alias cd wait\ninfo cd identity\n' |
  LYRABOX_CD=$prefix/disc.cue LYRABOX_AUDIO=none "$linux_mci" | sed -n 2p)
[ -n "$id" ] && [ "$id" = "$(printf '%X' "$linux_id")" ] ||
  fail "the disc id under Wine ($id) is not the Linux build's ($linux_id in decimal)"
bookmark=$prefix/drive_c/lyrabox/$id
wait_until "the bookmark $bookmark" test -s "$bookmark"
position=$(tr -d '\r' < "$bookmark" | xargs printf '%02d:%02d:%02d')

# 4. Eject empties the window; the tray pushed back in brings the disc back.
probe click 108 && until_logged $'^set cd door open\t0'
wait_until "the window to empty" shows 109 ""
touch tray-in
wait_until "a second scan" logged mci.log $'^set cd door open' $'^status cd length track 3\t0'
wait_until "the totals again" shows 109 "Tracks: 3  Total time: 00:14:74"
probe close && ended_with 0

# 5. A restart offers the bookmark, and Yes plays from there.
start
probe click 101
probe answer "Would you like to start playing at last bookmark ?" 6 >/dev/null
until_logged "^play cd from $position"$'\t0'
probe close
probe answer "Bookmark & Save before Closing ?" 7 >/dev/null
ended_with 0

# Started by AutoPlay, it resumes by itself.
start /Play
until_logged "^play cd from $position"$'\t0'
probe close
probe answer "Bookmark & Save before Closing ?" 7 >/dev/null
ended_with 0

# Another disc, without a bookmark: handed over at once, no window.
"$server" -k || true
"$server" -w
truncate -s $((2 * 3 * 75 * 2352)) other.bin
printf 'FILE "other.bin" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 01 00:03:00\n' > other.cue
"$cd_drive_script" "$prefix" "$work/other.cue"
drive
start /Play
ended_with 0
wait_until "the other player to start" test -s "$other/started.txt"
[ "$(tr -d '\r' < "$other/started.txt")" = '/play G:\' ] ||
  fail "the other player was started with: $(cat "$other/started.txt")"
! logged mci.log '^play cd' || fail "the handed-over disc was played"
echo "Windows: lyrabox.exe on Wine's MCI over the emulated drive passed"
