#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes PREFIX a Wine prefix whose drive d: is a CD-ROM drive on the emulated CD drive
# (tests/emulated_drive) holding DISC, a .cue image: Wine's d:: device link to the
# drive's node /dev/sr0, the drive type "cdrom" in Wine's registry, and, standing in
# for the CD file system that Windows has and Wine has not, a d: folder with one
# TrackNN.cda per track of an audio disc. Without DISC it makes one: three silent
# tracks of 4, 6 and 5 seconds (PREFIX/disc.cue). The drive's description goes to
# PREFIX/drive.txt; add lines to it for the tray and the rest (emulated_drive.c).
#
# Run a Windows program on it with the drive preloaded into Wine, which must start
# afresh for that (its server and its mount manager read the disc). Wine's 32-bit and
# 64-bit processes each need the drive of their own kind, which the dynamic loader
# picks by $PLATFORM (the Linux build's tests/emulated_drive/ holds both):
#   WINEPREFIX=PREFIX LYRABOX_EMULATED_DRIVE=PREFIX/drive.txt \
#     LD_PRELOAD='.../tests/emulated_drive/$PLATFORM/liblyrabox_emulated_drive.so' \
#     wine PROGRAM.exe
#
# usage: scripts/wine-cd-drive.sh PREFIX [DISC.cue]
set -euo pipefail
[ $# -ge 1 ] && [ $# -le 2 ] || { echo "usage: $0 PREFIX [DISC.cue]" >&2; exit 2; }
mkdir -p "$1"
prefix=$(cd "$1" && pwd)
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=/usr/lib/wine/wine  # a Wine for 32-bit programs only
server=/usr/lib/wine/wineserver

if [ $# -eq 2 ]; then
  disc=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
else
  disc=$prefix/disc.cue
  "$(dirname "$0")/disc-image.sh" "$disc" 4 6 5
fi
[ -f "$disc" ] || { echo "no disc image $disc" >&2; exit 1; }
printf 'device /dev/sr0\ndisc %s\n' "$disc" > "$prefix/drive.txt"

# A new prefix, on a virtual display when there is no display.
# (Its registry reaches system.reg only when Wine's server ends.)
fresh=
if [ ! -f "$prefix/system.reg" ]; then
  fresh=yes
  if [ -n "${DISPLAY:-}" ]; then "$wine" wineboot -i >/dev/null 2>&1
  else xvfb-run -a "$wine" wineboot -i >/dev/null 2>&1; fi
fi
if [ -n "$fresh" ] || ! grep -qs '^"d:"="cdrom"' "$prefix/system.reg"; then
  "$wine" reg add 'HKLM\Software\Wine\Drives' /v d: /d cdrom /f >/dev/null 2>&1
fi
"$server" -w

ln -sfn /dev/sr0 "$prefix/dosdevices/d::"
rm -rf "$prefix/cd-root"
mkdir -p "$prefix/cd-root"
ln -sfn "$prefix/cd-root" "$prefix/dosdevices/d:"
if ! grep -q '^ *TRACK [0-9]* MODE' "$disc"; then
  tracks=$(grep -c '^ *TRACK ' "$disc")
  for n in $(seq "$tracks"); do : > "$prefix/cd-root/$(printf 'Track%02d.cda' "$n")"; done
fi
