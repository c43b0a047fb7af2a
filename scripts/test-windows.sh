#!/bin/sh
# Cross-builds lumen.exe and the whole test suite for 32-bit Windows and runs the
# suite under Wine, with lumen.exe as the program the end-to-end tests start; then
# checks that lumen.exe converts the documents of tests/data and samples/ to the
# same bytes as the Linux build (scripts/compare-windows.sh).
#
# On a fresh Debian 12 machine, as root, from anywhere:  sh scripts/test-windows.sh
# Arguments are passed to the test program (e.g. --gtest_filter=AppEndToEnd.*).
#
# Everything is built under build-win/: gtest/ GoogleTest built for Windows from
# Debian's sources (/usr/src/googletest), lumen/ the program and the tests, wine/ a
# private Wine prefix, set up once. The fuzz replays are not part of the Windows
# build: the fuzz targets use POSIX calls for their scratch files, and the Linux
# runs replay the same seeds through the same library code.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)
started=$(date +%s)
stamp=$started
phase() {  # prints the time since the last phase
  now=$(date +%s)
  echo "== $1: $((now - stamp)) s"
  stamp=$now
}

# MinGW-w64 for 32-bit Windows, Wine with its 32-bit half, GoogleTest's sources.
sh scripts/install-deps.sh g++-mingw-w64-i686-posix wine wine32:i386 googletest
phase "packages"

export WINEPREFIX="$root/build-win/wine" WINEARCH=win32 WINEDEBUG=-all
# No .NET or HTML engine: nothing here needs them, and Wine would offer to fetch them.
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot --init
  wineserver -w
fi
phase "wine prefix"

toolchain="$root/scripts/mingw-i686.cmake"
gtest="$root/build-win/gtest"
if [ ! -f "$gtest/install/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$gtest/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=ON \
    -DCMAKE_INSTALL_PREFIX="$gtest/install"
  cmake --build "$gtest/build" -j "$jobs"
  cmake --install "$gtest/build"
fi
phase "googletest"

cmake -S . -B build-win/lumen -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DGTest_DIR="$gtest/install/lib/cmake/GTest"
cmake --build build-win/lumen -j "$jobs"
phase "build"

# One Wine process runs every test; the end-to-end tests start lumen.exe from it.
status=0
wine build-win/lumen/lumen_tests.exe "$@" || status=$?
phase "tests under wine"

sh scripts/compare-windows.sh tests/data samples || status=1
phase "comparison with the Linux build"

wineserver -w
echo "== total: $(($(date +%s) - started)) s"
exit $status
