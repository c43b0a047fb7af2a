#!/bin/sh
# Installs the Debian packages the build and tests need, when they are missing,
# together with any packages named as arguments (scripts/test-windows.sh names the
# cross compiler and Wine), then builds the PDF plug-in's poppler unless it is
# built already. A package of another architecture (name:i386) has that
# architecture added first.
#
#   sh scripts/install-deps.sh [PACKAGE...]
set -eu
packages="cmake g++ make libgtest-dev python3"
# Packaging: the manual page is rendered by groff in the tests; dpkg-deb unpacks
# the package in its check.
packages="$packages groff-base dpkg"
# The PDF plug-in (pdfconv) links poppler's core library, which
# scripts/build-poppler.sh builds from Debian's source packages: dpkg-source
# unpacks them, and objcopy comes with binutils.
packages="$packages dpkg-dev xz-utils binutils"
# The fuzz targets are built with clang, whose libFuzzer and sanitizer runtimes
# come in their own package.
packages="$packages clang libclang-rt-14-dev"
packages="$packages $*"
missing=""
for package in $packages; do
  dpkg -s "$package" >/dev/null 2>&1 || missing="$missing $package"
done
if [ -n "$missing" ]; then
  for package in $missing; do
    case "$package" in
      *:*) architecture=${package#*:}
           dpkg --print-foreign-architectures | grep -qx "$architecture" ||
             dpkg --add-architecture "$architecture" ;;
    esac
  done
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends $missing
fi
sh "$(dirname "$0")/build-poppler.sh"
