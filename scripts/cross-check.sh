#!/usr/bin/env bash
# Same bytes on arm64: cross-builds the engine and the hash tool for aarch64,
# renders the same set natively and under qemu, and compares the hashes.
# Needs build/swatcher-hashes (scripts/build.sh). The arm64 libraries are
# unpacked from Debian into build-arm64/sysroot once and kept there.
# Skipped, and says why, when the tools or the libraries cannot be had.
set -euo pipefail
cd "$(dirname "$0")/.."
tree=build-arm64
sysroot=$PWD/$tree/sysroot
# What the engine links for the target, with the C and C++ runtimes.
packages=libc6-dev,libstdc++-12-dev,libfreetype-dev,libfontconfig-dev,libtbb-dev

skip() {
  echo "cross-check: SKIPPED, arm64 output not compared: $*" >&2
  exit 0
}

scripts/install-deps.sh cross || skip "the cross compiler, qemu or mmdebstrap could not be installed"
qemu=$(command -v qemu-aarch64 || command -v qemu-aarch64-static) || skip "no qemu-aarch64"

# The sysroot, from the mirrors apt is configured with, for this release.
if [ "$(cat "$sysroot.stamp" 2>/dev/null)" != "$packages" ]; then
  rm -rf "$sysroot" "$sysroot.stamp"
  mkdir -p "$tree"
  sources=()
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -r "$f" ] && sources+=("$f")
  done
  suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
  echo "cross-check: unpacking the arm64 libraries into $sysroot"
  mmdebstrap --quiet --variant=extract --architectures=arm64 --include="$packages" \
    "$suite" "$sysroot" "${sources[@]}" >"$tree/mmdebstrap.log" 2>&1 ||
    skip "mmdebstrap could not fetch the arm64 libraries (see $tree/mmdebstrap.log)"
  # Absolute links (libm.so -> /lib/...) would point into the host.
  find "$sysroot" -type l -lname '/*' | while read -r link; do
    ln -sfn "$(realpath -m --relative-to="$(dirname "$link")" "$sysroot$(readlink "$link")")" "$link"
  done
  echo "$packages" >"$sysroot.stamp"
fi

launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$PWD"
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake -DSWATCHER_SYSROOT="$sysroot" \
  -DSWATCHER_ENGINE_ONLY=ON "${launcher[@]}" >/dev/null
cmake --build "$tree" -j "$(nproc)" --target swatcher-hashes

# Text is drawn with the shipped font only; fontconfig caches in the tree.
export FONTCONFIG_FILE=$PWD/tests/cross/fonts/fonts.conf XDG_CACHE_HOME=$PWD/$tree/cache
build/swatcher-hashes examples tests/nodes/golden >"$tree/x86-64.txt"
QEMU_LD_PREFIX=$sysroot "$qemu" "$tree/swatcher-hashes" examples tests/nodes/golden >"$tree/arm64.txt"

total=$(wc -l <"$tree/x86-64.txt")
[ "$total" -gt 0 ] || { echo "cross-check: FAILED, nothing rendered" >&2; exit 1; }
if ! diff -q "$tree/x86-64.txt" "$tree/arm64.txt" >/dev/null; then
  echo "cross-check: FAILED, arm64 renders differ from x86-64 (< x86-64, > arm64):" >&2
  diff "$tree/x86-64.txt" "$tree/arm64.txt" | head -20 >&2
  exit 1
fi
echo "cross-check: arm64 under qemu rendered the same bytes as x86-64 in all $total cases"
