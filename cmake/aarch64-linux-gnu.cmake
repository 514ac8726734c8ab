# Cross build for 64-bit ARM Linux with Debian's GCC cross compiler
# (g++-aarch64-linux-gnu):
#
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake \
#         -DSWATCHER_SYSROOT=/path/to/arm64-tree
#
# The tree holds the arm64 C and C++ runtimes and the libraries the build
# links (FreeType, fontconfig, TBB; DevIL, CLI11 and GoogleTest for the
# renderer and tests), for instance unpacked from Debian with
# `mmdebstrap --variant=extract` as scripts/cross-check.sh does. Programs run
# through qemu-aarch64 with that tree as their library prefix.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# The sysroot also reaches the try-compile projects CMake runs while probing.
if(NOT SWATCHER_SYSROOT AND DEFINED ENV{SWATCHER_SYSROOT})
  set(SWATCHER_SYSROOT "$ENV{SWATCHER_SYSROOT}")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES SWATCHER_SYSROOT)
if(SWATCHER_SYSROOT)
  set(CMAKE_SYSROOT "${SWATCHER_SYSROOT}")
  set(CMAKE_FIND_ROOT_PATH "${SWATCHER_SYSROOT}")
  # pkg-config (fontconfig's module) reads the target's .pc files only.
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "${SWATCHER_SYSROOT}")
  set(ENV{PKG_CONFIG_LIBDIR}
      "${SWATCHER_SYSROOT}/usr/lib/aarch64-linux-gnu/pkgconfig:${SWATCHER_SYSROOT}/usr/share/pkgconfig")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(SWATCHER_QEMU NAMES qemu-aarch64 qemu-aarch64-static)
if(SWATCHER_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${SWATCHER_QEMU}")
  if(SWATCHER_SYSROOT)
    list(APPEND CMAKE_CROSSCOMPILING_EMULATOR -L "${SWATCHER_SYSROOT}")
  endif()
endif()
