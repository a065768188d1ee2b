#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installer under Wine as an administrator and AutoPlay use it, on a copy of
# TESTS_PREFIX: 1. a silent install and what it registered, in the registry view
# Explorer reads; 2. the AutoPlay handler started as the shell starts it, on the demo
# disc; 3. a second install into another folder; 4. an install and an uninstall while
# the player runs; 5. the silent uninstall, which leaves c:\lyrabox\ as it was.
#
# usage: installer_end_to_end.sh WINE SETUP_EXE PROBE_EXE TESTS_PREFIX WORK
set -euo pipefail
. "$(dirname "$0")/../support/end_to_end.sh"
wine=$1 setup=$2 probe_exe=$3 tests_prefix=$4 work=$5
server=${wine%/*}/wineserver
on_failure() { import -window root "$work/failure.png" 2>/dev/null && echo "the screen: $work/failure.png" >&2; }
trap '"$server" -k 2>/dev/null || true' EXIT

rm -rf "$work"
mkdir -p "$work"
cd "$work"
cp -a "$tests_prefix" prefix
# Wine links the AutoPlay handlers' key in the 32-bit view to the 64-bit one. Without
# the link the views are apart, so that only a handler in Explorer's view passes.
awk -v RS= -v ORS='\n\n' \
  '!/^\[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\AutoplayHandlers\]/' \
  prefix/system.reg > system.reg && mv system.reg prefix/system.reg
# No menu entries for the Linux desktop from the Start-menu shortcut.
export WINEPREFIX=$work/prefix WINEDEBUG=-all \
  WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
c=$WINEPREFIX/drive_c
# Explorer's view is the 64-bit programs' in a 64-bit prefix; "Apps and features" has
# the entry of a 32-bit program in the 32-bit view.
explorer_wine=${wine%/*}/wine64
[ -x "$explorer_wine" ] && [ -d "$c/windows/syswow64" ] || explorer_wine=$wine

autoplay='HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer\AutoplayHandlers'
handler="$autoplay\\Handlers\\LyraboxPlayCDAudioOnArrival"
event="$autoplay\\EventHandlers\\PlayCDAudioOnArrival"
progid='HKLM\Software\Classes\Lyrabox.AudioCD'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lyrabox'
shortcut="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Lyrabox.lnk"

# value KEY NAME: the data in Explorer's view ("" names the default value).
value() {
  local name=(/v "$2"); [ -n "$2" ] || name=(/ve)
  "$explorer_wine" reg query "$1" "${name[@]}" 2>/dev/null | tr -d '\r' |
    sed -n 's/^    .*    REG_[A-Z_]*    //p'
}
expect() { [ "$(value "$1" "$2")" = "$3" ] || fail "$1 $2 is \"$(value "$1" "$2")\", not \"$3\""; }
# How many of the four registrations are there: the handler, its name for the event
# and the ProgID in Explorer's view, the entry for "Apps and features" in its own.
registrations() {
  local n=0
  "$explorer_wine" reg query "$handler" >/dev/null 2>&1 && n=$((n + 1))
  "$explorer_wine" reg query "$event" /v LyraboxPlayCDAudioOnArrival >/dev/null 2>&1 && n=$((n + 1))
  "$explorer_wine" reg query "$progid" >/dev/null 2>&1 && n=$((n + 1))
  "$wine" reg query "$uninstall_key" >/dev/null 2>&1 && n=$((n + 1))
  echo "$n"
}
unix_path() { "$wine" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
probe() { "$wine" "$probe_exe" "$@" | tr -d '\r'; }
# AutoPlay's start of the handler; the probe ends with the player.
start_as_autoplay() {
  : > mci.log
  LYRABOX_CD=demo LYRABOX_MCI_LOG=mci.log "$wine" "$probe_exe" autoplay \
    "$(value "$handler" InvokeProgID)" "$(value "$handler" InvokeVerb)" 'd:\' & pid=$!
}

# The user's data folder: the demo disc's bookmark and the drive setting.
rm -rf "$c/lyrabox"
mkdir -p "$c/lyrabox"
printf '3\r\n1\r\n5\r\n' > "$c/lyrabox/1112503"
printf 'd:\\\r\n' > "$c/lyrabox/lbx.ini"

# 1. A silent install, and what it registered.
"$wine" "$setup" /S || fail "the silent install ended with status $?"
command=$(value "$progid\\shell\\open\\command" "")
folder=${command#\"}; folder=${folder%%\\lyrabox.exe\" /Play}
[ "$command" = "\"$folder\\lyrabox.exe\" /Play" ] || fail "the handler's command is: $command"
case $folder in 'C:\Program Files'*'\Lyrabox') ;; *) fail "installed into $folder" ;; esac
[ -f "$(unix_path "$folder\\lyrabox.exe")" ] || fail "the handler's program $folder\\lyrabox.exe is missing"
expect "$handler" Action "Play audio CD"
expect "$handler" Provider "Lyrabox"
[ "$(registrations)" = 4 ] || fail "$(registrations) of the 4 registrations are there"
[ -f "$shortcut" ] || fail "no Start-menu shortcut"

# 2. AutoPlay: a disc with a bookmark resumes there ...
start_as_autoplay
wait_until "the resume" logged mci.log $'^play cd from 03:01:05\t0'
probe close
probe answer "Bookmark & Save before Closing ?" 7 >/dev/null
ended_with 0
# ... and one without is handed to the other player at once.
other=$work/drive_e/program\ files/Plus!/DeluxeCD
mkdir -p "$other"
cp "$probe_exe" "$other/deluxecd.exe"
ln -sfn "$work/drive_e" "$WINEPREFIX/dosdevices/e:"
mv "$c/lyrabox/1112503" bookmark
start_as_autoplay
ended_with 0
wait_until "the other player to start" test -s "$other/started.txt"
[ "$(tr -d '\r' < "$other/started.txt")" = '/play G:\' ] ||
  fail "the other player was not started with /play G:\\"
! logged mci.log '^open' || fail "the handed-over disc was opened"
mv bookmark "$c/lyrabox/1112503"
# The rest a user's data folder may hold: the kill program and the names of discs.
mkdir -p "$c/lyrabox/names"
printf 'MZ' > "$c/lyrabox/killapp.exe"
printf '{"disc": "x"}' > "$c/lyrabox/names/x.json"
data_folder() { (cd "$c/lyrabox" && find . -type f -exec md5sum {} + | sort); }
data_folder > data-before.txt

# 3. Run again into another folder: the install moves, and stays one.
moved='C:\Programs\Lyrabox'
"$wine" "$setup" /S "/D=$moved" || fail "the second install ended with status $?"
[ ! -e "$(unix_path "$folder")" ] || fail "the first install is still in $folder"
expect "$progid\\shell\\open\\command" "" "\"$moved\\lyrabox.exe\" /Play"
"$wine" reg query "$uninstall_key" /v InstallLocation | grep -qF "$moved" ||
  fail "Apps and features does not show the moved install"

# 4. An install or an uninstall while the player runs leaves it whole, and ends with
# status 2 (the uninstaller in place, so that its status is its own).
LYRABOX_CD=demo "$wine" "$moved\\lyrabox.exe" & pid=$!
probe text 100 >/dev/null  # the window is up
refused() {
  local status=0
  "$wine" "$@" || status=$?
  [ "$status" = 2 ] || fail "$* while the player runs ended with status $status"
}
refused "$setup" /S
refused "$moved\\uninstall.exe" /S "_?=$moved"
[ -f "$c/Programs/Lyrabox/lyrabox.exe" ] && [ -f "$shortcut" ] && [ "$(registrations)" = 4 ] ||
  fail "a run while the player runs removed parts of it"
probe close && ended_with 0

# 5. The silent uninstall as Apps and features would run it (it goes on in a copy of
# itself, so wait for Wine's processes to end).
"$wine" "$moved\\uninstall.exe" /S || fail "the uninstall ended with status $?"
"$server" -w
[ ! -e "$c/Programs/Lyrabox" ] || fail "left in the program folder: $(ls "$c/Programs/Lyrabox")"
[ ! -e "$shortcut" ] || fail "the Start-menu shortcut is still there"
[ "$(registrations)" = 0 ] || fail "keys are left in the registry"
data_folder | diff -u data-before.txt - || fail "the uninstall changed c:\\lyrabox\\"
"$server" -w
rm -rf prefix  # 1.3 GB
echo "Windows: the installer, AutoPlay's start and the uninstaller passed"
