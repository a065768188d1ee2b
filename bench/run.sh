#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the playback benchmark (an optimised build of its own) and prints its figures:
# CPU seconds per minute of playback, the latency from a seek to the first sound of the
# new place, and the peak memory of a process playing. Needs no sound card.
#   bench/run.sh [BUILD-FOLDER]
set -euo pipefail

source "$(dirname "$0")/build.sh"
build_dir="${1:-$source_dir/build/bench}"
bench_build lyrabox-playback-bench lyrabox-mci

echo "Lyrabox playback on $(uname -m), $(nproc) cores, $(date -u +%Y-%m-%d)"
# SDL announces its file output on standard error at every start; the figures are on
# standard output.
"$build_dir/bench/lyrabox-playback-bench" "$build_dir/cdaudio/lyrabox-mci" 2> >(grep -v "disk i/o audio\|Writing to file" >&2)
