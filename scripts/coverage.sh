#!/usr/bin/env bash
# Line coverage of the engine library (engine/, platform/, nodes/) by the engine and
# renderer tests. Builds into build-coverage/ so the normal build keeps its flags.
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-/work}"
build=build-coverage

# Row bands run on several threads: atomic counter updates keep the counts sane.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DSWATCHER_GUI=OFF -DSWATCHER_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="--coverage -fprofile-update=atomic" \
    -DCMAKE_C_FLAGS="--coverage -fprofile-update=atomic" \
    -DCMAKE_EXE_LINKER_FLAGS=--coverage \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache >/dev/null
cmake --build "$build" -j 2

# Counters accumulate across runs; start from zero so the numbers describe this run.
find "$build" -name '*.gcda' -delete
(cd "$build" && ctest -j 2 --output-on-failure)

json="$build/coverage.json"
gcovr -r . --object-directory "$build" --exclude-directories "$build/CMakeFiles/[0-9.]+" --filter 'engine/' --filter 'platform/' \
    --filter 'nodes/' --json "$json" >/dev/null
echo "== engine/ platform/ nodes/"
gcovr -a "$json" --txt | grep -v ' 100%'
gcovr -a "$json" --print-summary --txt /dev/null
for dir in engine platform nodes; do
    echo "== $dir/"
    gcovr -a "$json" --filter "$dir/" --print-summary --txt /dev/null | grep '^lines'
done
