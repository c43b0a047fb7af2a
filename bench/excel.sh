#!/bin/sh
# Whole-process conversion of the largest and a small corpus workbook with the
# shipped lumen.cfg, next to xls2csv (package catdoc) on the same files when it is
# installed. Build first: cmake -S . -B build -DCMAKE_BUILD_TYPE=Release && cmake --build build
# Usage: bench/excel.sh [--runs N] [--lumen PATH]
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
set -- "$@" "$root/tests/data/calc97_large.xls" "$root/tests/data/calc97_basic.xls"
if command -v xls2csv >/dev/null 2>&1; then
  exec python3 "$root/bench/run.py" --peer 'xls2csv -d utf-8 {input}' "$@"
fi
exec python3 "$root/bench/run.py" "$@"
