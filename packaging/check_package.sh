#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from a finished build and checks it as a user's system would
# meet it: the name lyrabox_<version>_<architecture>.deb, the files laid out in a scratch
# root as dpkg lays them out, the desktop entries valid there, the libraries the
# binaries need among the dependencies together with desktop-file-utils (its trigger
# refreshes the desktop's table of handlers, which is what offers the player for an
# inserted audio CD), and no error or warning from lintian, nor, among its pedantic and
# informational notes, one that says a binary is not stripped as Debian's are, or not
# hardened when HARDENED is 1 (the build has Debian's hardening flags).
#
# check_package.sh BUILD_DIR SCRATCH_DIR CPACK VERSION HARDENED
set -euo pipefail
build=$1 scratch=$2 cpack=$3 version=$4 hardened=$5

rm -rf "$scratch"
mkdir -p "$scratch"
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log"
  exit 1
fi
deb="$scratch/lyrabox_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "no package named $(basename "$deb"):"; ls "$scratch"; exit 1; }

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
for file in usr/bin/lyrabox usr/bin/lyrabox-mci usr/share/doc/lyrabox/copyright \
            usr/share/man/man1/lyrabox.1.gz usr/share/man/man1/lyrabox-mci.1.gz \
            usr/share/metainfo/io.github.lyrabox.Lyrabox.metainfo.xml \
            usr/share/icons/hicolor/32x32/apps/lyrabox.png; do
  [ -e "$root/$file" ] || fail "not in the package: /$file"
done
for entry in io.github.lyrabox.Lyrabox.desktop io.github.lyrabox.Lyrabox.AutoPlay.desktop; do
  if ! out=$(desktop-file-validate "$root/usr/share/applications/$entry" 2>&1) || [ -n "$out" ]; then
    fail "desktop-file-validate $entry: $out"
  fi
done
grep -qx 'MimeType=x-content/audio-cdda;' "$root/usr/share/applications/io.github.lyrabox.Lyrabox.AutoPlay.desktop" ||
  fail "the entry for inserted audio CDs does not claim x-content/audio-cdda"

depends=$(dpkg-deb -f "$deb" Depends)
for needed in desktop-file-utils libqt6widgets6 libqt6dbus6 libcdio19 libsdl2-2.0-0; do
  [[ ", $depends," == *", $needed"[\ ,]* ]] || fail "Depends lacks $needed: $depends"
done

unwanted='binary-has-unneeded-section'
[ "$hardened" = 1 ] && unwanted+='|hardening-'
if ! lintian --pedantic -I --fail-on error,warning "$deb" >"$scratch/lintian.log" 2>&1 ||
   grep -qE "$unwanted" "$scratch/lintian.log"; then
  fail "lintian:"
  cat "$scratch/lintian.log"
fi

[ "$failures" -eq 0 ] && echo "$(basename "$deb") checked"
exit "$((failures > 0))"
