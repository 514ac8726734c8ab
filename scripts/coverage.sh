#!/usr/bin/env bash
# Line coverage of the engine library (engine/, platform/, nodes/) and the
# editor (app/, view/, controls/) by the whole test suite. Builds into
# build-coverage/ so the normal build keeps its flags.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v gcovr >/dev/null || scripts/install-deps.sh gcovr
build=build-coverage
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="$PWD"
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# Row bands run on several threads: atomic counter updates keep the counts sane.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSWATCHER_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="--coverage -fprofile-update=atomic" \
    -DCMAKE_C_FLAGS="--coverage -fprofile-update=atomic" \
    -DCMAKE_EXE_LINKER_FLAGS=--coverage "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"

# Counters accumulate across runs; start from zero so the numbers describe this run.
find "$build" -name '*.gcda' -delete
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest -j "$(nproc)" --output-on-failure -E '^style\.')

dirs=(engine platform nodes app view controls)
filters=()
for dir in "${dirs[@]}"; do filters+=(--filter "$dir/"); done
json="$build/coverage.json"
gcovr -r . --object-directory "$build" --exclude-directories "$build/CMakeFiles/[0-9.]+" \
    "${filters[@]}" --json "$json" >/dev/null
echo "== files below 100%"
gcovr -a "$json" --txt | grep -v ' 100%'
echo "== all"
gcovr -a "$json" --print-summary --txt /dev/null | grep '^lines'
for dir in "${dirs[@]}"; do
    printf '%-10s ' "$dir/"
    gcovr -a "$json" --filter "$dir/" --print-summary --txt /dev/null | grep '^lines'
done
