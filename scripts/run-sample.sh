#!/bin/sh
# Installs what is missing, builds lumen, and converts the bundled sample with the
# shipped configuration, from the repository root, into build/sample.html.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target lumen
rm -f build/sample.html
build/lumen samples/sample.xls build/sample.html
echo "lumen exited with $?; build/sample.html:"
cat build/sample.html
