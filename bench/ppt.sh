#!/bin/sh
# Whole-process conversion of the largest and a small corpus presentation with the
# shipped lumen.cfg, next to catppt (package catdoc) on the same files when it is
# installed. Build first: cmake -S . -B build -DCMAKE_BUILD_TYPE=Release && cmake --build build
# Usage: bench/ppt.sh [--runs N] [--lumen PATH]
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
set -- "$@" "$root/tests/data/impress97_scripts_hidden.ppt" "$root/tests/data/incorrect_slide_order.ppt"
if command -v catppt >/dev/null 2>&1; then
  exec python3 "$root/bench/run.py" --peer 'catppt -d utf-8 {input}' "$@"
fi
exec python3 "$root/bench/run.py" "$@"
