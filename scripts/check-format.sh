#!/usr/bin/env bash
# Fails when a C++ file of the tree is not as clang-format would write it.
set -euo pipefail
cd "$(dirname "$0")/.."
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  files=$(git ls-files '*.cpp' '*.h')
else
  files=$(find engine platform nodes view controls app cli api python examples tests bench fuzz tools \
            -name '*.cpp' -o -name '*.h')
fi
# shellcheck disable=SC2086
clang-format --dry-run --Werror $files
