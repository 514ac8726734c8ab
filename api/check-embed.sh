#!/usr/bin/env bash
# Installs the build tree into a fresh prefix, builds examples/embed against it
# through find_package(Swatcher) and checks that it renders the bytes that
# swatcher-render writes; and that the Python module was installed.
#   check-embed.sh SOURCE_DIR BUILD_DIR SWATCHER_RENDER
set -euo pipefail
source=$1 build=$2 render=$3
work=$build/embed-check
cmake=${CMAKE:-cmake}
rm -rf "$work"
"$cmake" --install "$build" --prefix "$work/prefix" >/dev/null
"$cmake" -S "$source/examples/embed" -B "$work/build" -DCMAKE_PREFIX_PATH="$work/prefix" \
  ${CXX:+-DCMAKE_CXX_COMPILER="$CXX"} >/dev/null
"$cmake" --build "$work/build" >/dev/null

example=$source/examples/perlin-clouds.mtf
"$work/build/swatcher-embed" "$example" "$work/embed.rgba" 48 "Perlin noise.Random" 7
"$render" "$example" "$work/cli.rgba" --size 48 --set "Perlin noise.Random=7"
cmp "$work/embed.rgba" "$work/cli.rgba"

# The Python module, where it is built, installs into the prefix's packages.
if compgen -G "$build/python/swatcher.*.so" >/dev/null; then
  compgen -G "$work/prefix/lib/python3*/site-packages/swatcher.*.so" >/dev/null
fi
