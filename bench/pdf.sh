#!/bin/sh
# Whole-process conversion of the corpus PDFs with the shipped lumen.cfg (through
# the pdfconv plug-in built next to lumen), next to pdftotext (package
# poppler-utils) on the same files when it is installed.
# Build first: cmake -S . -B build -DCMAKE_BUILD_TYPE=Release && cmake --build build
# Usage: bench/pdf.sh [--runs N] [--lumen PATH]
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
set -- "$@" "$root/tests/data/pdf_report.pdf" "$root/tests/data/pdf_scripts.pdf"
if command -v pdftotext >/dev/null 2>&1; then
  exec python3 "$root/bench/run.py" --peer 'pdftotext -enc UTF-8 {input} -' "$@"
fi
exec python3 "$root/bench/run.py" "$@"
