#!/bin/sh
# Installs what is missing, builds lumen, and converts each sample document of
# samples/ (a Word document, a workbook and a presentation, written by
# build/make_samples) with the shipped configuration, from the repository root,
# printing what each conversion made; the outputs stay in build/samples/.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$(nproc)" --target lumen
out=build/samples
rm -rf "$out"
mkdir -p "$out"
for sample in samples/sample.doc samples/sample.xls samples/sample.ppt; do
  name=$(basename "$sample")
  status=0
  build/lumen "$sample" "$out/$name.html" || status=$?
  echo "== lumen $sample $out/$name.html: exit $status"
  cat "$out/$name.html"
  echo
done
