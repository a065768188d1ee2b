#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the player and starts it. Without a CD drive it
# plays the built-in demo disc. On a machine with no display it starts the player on
# a virtual display, saves a screenshot of the window and ends.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DLYRABOX_TESTS=OFF >/dev/null
cmake --build build/release -j "$(nproc)"

# A desktop session gives every program a private runtime folder (the single-instance
# lock lives there); a bare console or ssh may not. Then the build's own, private too.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="$PWD/build/runtime"
  mkdir -p "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/release/lyrabox "$@"
fi

shot="$PWD/build/lyrabox-screenshot.png"
echo "There is no display here: starting Lyrabox on a virtual display (Xvfb) instead."
rm -f "$shot"
LYRABOX_SCREENSHOT="$shot" LYRABOX_SCREENSHOT_DELAY="${LYRABOX_SCREENSHOT_DELAY:-3}" \
  xvfb-run -a -s "-screen 0 1024x768x24" build/release/lyrabox "$@" || true
if [ -f "$shot" ]; then
  echo "Screenshot of the window: $shot"
else
  echo "The player ended before a screenshot was taken (see the messages above)." >&2
  exit 1
fi
