#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the pictures of the user's guide again (docs/screenshots/*.png) from
# the real windows under a virtual X display. Run from anywhere in a checkout:
#   docs/screenshots.sh [BUILD_DIR]
# Needs xvfb and xauth (installed by `make test`) and a configured build tree
# (default: build).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$top/build}")
out="$top/docs/screenshots"

if [ -f "$build/CMakeCache.txt" ]; then
  cmake "$build" >/dev/null
else
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTSK_BUILD_GUI=ON >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target tsk_screenshots gssummar gsstoceq

# A study folder as a user's, named as the guide names it: the example
# samples and the delivered files, with the engines beside the driver program.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/counts"
cp "$top"/data/*.dat "$top"/data/*.sys "$top"/data/*.par "$work/counts/"
mkdir -p "$out"
cd "$work/counts"
# Window sizes and places remembered by the user's own runs stay out of the
# pictures: the windows open as a new user sees them.
export HOME="$work" XDG_CONFIG_HOME="$work/.config"
LC_ALL=C xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
  "$build/bin/tsk_screenshots" "$out"
ls -l "$out"
