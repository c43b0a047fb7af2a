#!/bin/sh
# Installs the Debian packages the build and tests need, when they are missing.
set -eu
packages="cmake g++ make libgtest-dev python3"
# The PDF plug-in (pdfconv) reads PDFs with poppler's C++ library.
packages="$packages pkg-config libpoppler-cpp-dev"
# The fuzz targets are built with clang, whose libFuzzer and sanitizer runtimes
# come in their own package.
packages="$packages clang libclang-rt-14-dev"
missing=""
for package in $packages; do
  dpkg -s "$package" >/dev/null 2>&1 || missing="$missing $package"
done
if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y $missing
fi
