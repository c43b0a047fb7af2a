#!/bin/sh
# Whole-process conversion of the largest and a small corpus document with the
# shipped lumen.cfg, next to antiword and catdoc on the same files when they are
# installed. Build first: cmake -S . -B build -DCMAKE_BUILD_TYPE=Release && cmake --build build
# Usage: bench/word.sh [--runs N] [--lumen PATH]
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
set -- "$@" "$root/tests/data/word97_long.doc" "$root/tests/data/word97_plain.doc"
if command -v antiword >/dev/null 2>&1; then
  set -- --peer 'antiword -m UTF-8.txt {input}' "$@"
fi
if command -v catdoc >/dev/null 2>&1; then
  set -- --peer 'catdoc -d utf-8 {input}' "$@"
fi
exec python3 "$root/bench/run.py" "$@"
