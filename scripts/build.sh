#!/usr/bin/env bash
# Configures and builds into build/ (editor, renderer, tests, benchmarks).
set -euo pipefail
cd "$(dirname "$0")/.."
# ccache with the tree as base directory lets several checkouts share objects.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$PWD"
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build -j "$(nproc)"
