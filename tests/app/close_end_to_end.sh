#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The built player on a display of its own (Xvfb), with a session bus of its own,
# playing the demo disc out loud through SDL's file output:
#   1. nothing is loaded before it is needed: the sound output's module (found beside
#      the player, with SDL) once the window is shown, before any Play; GIO for the
#      hand-over and Qt Network for the names not before the first Play;
#   2. asked to close while the disc plays, the close question answered Yes writes the
#      bookmark before the process ends, and the process ends with status 0.
#
# usage: close_end_to_end.sh PLAYER WORK_FOLDER
set -eu
. "$(dirname "$0")/../support/end_to_end.sh"

player=$1
work=$2
rm -rf "$work"
mkdir -p "$work/home/drive_c/lyrabox" "$work/run"
chmod 700 "$work/run"

own_display_and_bus "$work"

env LYRABOX_CD=demo LYRABOX_HOME="$work/home" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb \
    LYRABOX_TIMELINE=1 \
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null "$player" > "$work/player.out" 2>&1 &
pid=$!

# --- 1. Nothing loaded before it is needed ---------------------------------------------
loaded() { grep -q "/$1[.-]" "/proc/$pid/maps"; }
on_bus() { playerctl -p lyrabox status > /dev/null; }
wait_until "the player on the session bus" on_bus
wait_until "the sound output's module" logged "$work/player.out" "sound output loaded"
logged "$work/player.out" "window shown" "sound output loaded" && loaded libSDL2 ||
  fail "the sound output was not loaded after the window was shown:
$(cat "$work/player.out")"
for library in libgio-2.0 libQt6Network; do
  ! loaded "$library" || fail "$library is loaded before the first Play"
done
plays() { playerctl -p lyrabox play && [ "$(playerctl -p lyrabox status)" = Playing ]; }
wait_until "the demo disc playing" plays

# --- 2. The close question answered Yes -------------------------------------------------
dbus-send --print-reply --session --dest=org.mpris.MediaPlayer2.lyrabox /org/mpris/MediaPlayer2 \
  org.mpris.MediaPlayer2.Quit > /dev/null
# The question's box is the one window titled just "Lyrabox".
asked() { xdotool search --onlyvisible --name '^Lyrabox$' | grep -q .; }
wait_until "the close question" asked
xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^Lyrabox$' | head -1)"
xdotool key Return  # Yes, the default
ended() { ! grep -qv '^[0-9]* (.*) Z' "/proc/$pid/stat"; }
wait_until "the end of the player" ended
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "the player ended with status $status:
$(cat "$work/player.out")"
# Where the sound output runs unpaced (SDL_DISKAUDIODELAY=0, as the test command sets
# it), the disc may be past track 1 by the time the question is answered: any track.
bookmark=$(find "$work/home/drive_c/lyrabox" -type f)
[ -n "$bookmark" ] && [ "$(tr -d '\r' < "$bookmark" | grep -cxE '[0-9]+')" -eq 3 ] ||
  fail "no bookmark was written before the player ended: $(ls "$work/home/drive_c/lyrabox")"
echo "close end to end: passed"
