#!/bin/sh
# Installs the Debian packages the build and tests need, when they are missing.
set -eu
packages="cmake g++ make libgtest-dev python3"
# Packaging: the manual page is rendered by groff in the tests; dpkg-deb unpacks
# the package in its check.
packages="$packages groff-base dpkg"
# The PDF plug-in (pdfconv) reads PDFs with poppler's core library.
packages="$packages pkg-config libpoppler-dev libpoppler-private-dev"
missing=""
for package in $packages; do
  dpkg -s "$package" >/dev/null 2>&1 || missing="$missing $package"
done
if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y $missing
fi
