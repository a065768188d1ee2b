#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays a short session on the demo disc on a virtual display and saves what the
# window showed after each step, one picture below the other:
#   start, Play (3 s), next track (2 s), rewind by the 5-second step, pause.
# usage: scripts/session-screenshots.sh [OUTPUT.png]   (needs a built build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/session-demo-disc.png}
player=${LYRABOX_PLAYER:-build/release/lyrabox}
command -v xdotool >/dev/null || apt-get install -y -q xdotool >/dev/null
work=$(mktemp -d)
trap 'kill "$player_pid" "$display_pid" 2>/dev/null || true; rm -rf "$work"' EXIT

export DISPLAY=:$((70 + RANDOM % 20))
Xvfb "$DISPLAY" -screen 0 640x400x24 >/dev/null 2>&1 &
display_pid=$!
sleep 1
LYRABOX_HOME="$work/home" XDG_RUNTIME_DIR="$work" LYRABOX_CD=demo LYRABOX_AUDIO=none \
  "$player" &
player_pid=$!
sleep 2.5
window=$(xdotool search --onlyvisible --name "Lyrabox" | head -1)
step=0
shot() { step=$((step + 1)); import -window "$window" "$work/$step.png"; }
# Button centres in the window, menu bar included.
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }

shot
click 200 30; sleep 3.2; shot  # >
click 200 55; sleep 2.2; shot  # >>|
click 232 55; sleep 1.2; shot  # <<
click 264 30; sleep 1.5; shot  # ||
convert "$work"/{1,2,3,4,5}.png -append "$out"
echo "Saved $out"
