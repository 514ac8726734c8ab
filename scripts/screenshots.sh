#!/bin/sh
# Writes the editor's screenshots for the README and the docs.
# Usage: scripts/screenshots.sh [BUILD_DIR [OUTPUT_DIR]]
set -eu
build=${1:-build}
out=${2:-$build/screenshots}
cmake --build "$build" --target gui_screenshots -j2
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/tools/gui_screenshots" "$out"
echo "Screenshots written to $out"
