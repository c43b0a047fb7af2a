#!/bin/sh
# Whole-process conversion of workbooks with the shipped lumen.cfg, next to xls2csv
# (package catdoc) on the same files when it is installed: a 10 KB corpus workbook,
# a dense one of 6000 cells and a 2.5 MB one of a few cells among drawing and
# formatting records (both written by build/bench/make_workbooks), and the largest
# corpus workbook.
# Build first: cmake -S . -B build -DCMAKE_BUILD_TYPE=Release && cmake --build build
# Usage: bench/excel.sh [--runs N] [--lumen PATH]
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$root/build/bench/make_workbooks" "$scratch"
set -- "$@" "$root/tests/data/calc97_basic.xls" "$scratch/dense.xls" "$scratch/sparse.xls" \
  "$root/tests/data/calc97_large.xls"
if command -v xls2csv >/dev/null 2>&1; then
  python3 "$root/bench/run.py" --peer 'xls2csv -d utf-8 {input}' "$@"
else
  python3 "$root/bench/run.py" "$@"
fi
