#!/bin/sh
# Installs what is missing, then builds and runs the whole test suite twice: a
# normal build and an AddressSanitizer + UndefinedBehaviorSanitizer build with
# leak checking. Then each fuzz target runs a fixed number of inputs from its
# seeds with a fixed libFuzzer seed, so that a fault near a known input fails the
# run that brings it.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DLUMEN_SANITIZE=ON
cmake --build build-asan -j "$jobs"
(cd build-asan &&
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --output-on-failure -j "$jobs")

# About a minute in all: each count is a few seconds of its target.
FUZZ_SEED=1 FUZZ_RUNS=20000 sh scripts/fuzz.sh 0 word ppt
FUZZ_SEED=1 FUZZ_RUNS=5000 sh scripts/fuzz.sh 0 excel
FUZZ_SEED=1 FUZZ_RUNS=20000 sh scripts/fuzz.sh 0 storage charset config
FUZZ_SEED=1 FUZZ_RUNS=500 sh scripts/fuzz.sh 0 pdfconv
