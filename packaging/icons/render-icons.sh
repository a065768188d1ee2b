#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the program's icon (ui/lyrabox_icon.xpm, 32 x 32) to the PNGs the desktop
# uses: the picture itself and the same picture four times larger, pixel for pixel.
# Run it after changing the picture and commit the PNGs; a test checks they match.
set -euo pipefail
cd "$(dirname "$0")/../.."
source=ui/lyrabox_icon.xpm
for size in 32 128; do
  out=packaging/icons/hicolor/${size}x${size}/apps/lyrabox.png
  mkdir -p "$(dirname "$out")"
  convert "$source" -filter point -resize "${size}x${size}" -strip "PNG32:$out"
  echo "$out"
done
