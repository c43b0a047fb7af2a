#!/bin/sh
# Builds the Debian package (cpack -G DEB in build/), unpacks it into a scratch
# root with dpkg-deb -x, and fails unless it holds every shipped file, the program
# and the PDF plug-in need no shared library but the C library, and the unpacked
# program, with a copy of the unpacked lumen.cfg whose folders point into the
# scratch root, converts the samples and a PDF to the same bytes as the build
# tree's program with the source tree's files.
#
# From the repository root, after a build in build/:  sh scripts/check-package.sh
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
cmake --build build -j "$(nproc)"
(cd build && rm -f lumen_*.deb && cpack -G DEB >/dev/null)
deb=$(ls build/lumen_*.deb)
work="$root/build/package-check"
rm -rf "$work"
mkdir -p "$work/root" "$work/packaged" "$work/tree"
dpkg-deb -x "$deb" "$work/root"
share="$work/root/usr/share/lumen"
fail() { echo "package check: $1" >&2; exit 1; }

for file in usr/bin/lumen usr/share/man/man1/lumen.1.gz; do
  [ -f "$work/root/$file" ] || fail "$file missing"
done
if [ -e build/libpdfconv.so ]; then
  for file in usr/bin/libpdfconv.so usr/share/doc/lumen/copyright/poppler \
      usr/share/doc/lumen/copyright/freetype; do
    [ -f "$work/root/$file" ] || fail "$file missing"
  done
  # poppler and the C++ runtime are linked in: the plug-in needs the C library's
  # own libraries alone, which libc6 holds.
  plugin=$(objdump -p "$work/root/usr/bin/libpdfconv.so" | awk '$1 == "NEEDED" { print $2 }')
  other=$(echo "$plugin" | grep -v -e '^libc\.so\.' -e '^libm\.so\.' -e '^ld-linux' -e '^$' || true)
  [ -z "$other" ] || fail "libpdfconv.so needs more than the C library: $other"
fi
for file in lumen.cfg pptconv.dat pages/* tables/*.txt; do
  cmp -s "$file" "$share/$file" || fail "usr/share/lumen/$file missing or different"
done
libraries=$(objdump -p "$work/root/usr/bin/lumen" | awk '$1 == "NEEDED" { print $2 }')
needed=$(echo "$libraries" | grep -v -e '^libc\.so\.' -e '^ld-linux' -e '^$' || true)
[ -z "$needed" ] || fail "lumen needs more than the C library: $needed"
# A static program loads the plug-in's shared C library with the loader of its own
# copy, which must be of the same upstream version.
if [ -z "$libraries" ]; then
  dpkg-deb -f "$deb" Depends | grep -q 'libc6 (<< ' || fail "no dependency on the C library's version"
fi

# The packaged program runs in a folder of its own with a copy of the packaged
# configuration; the build tree's program beside a copy of the source tree's files.
sed -e "s|=pages/|=$share/pages/|" -e "s|=tables\$|=$share/tables|" \
  -e "s|=pptconv.dat\$|=$share/pptconv.dat|" "$share/lumen.cfg" >"$work/packaged/lumen.cfg"
cp -r lumen.cfg pptconv.dat pages tables "$work/tree/"
for document in samples/sample.doc samples/sample.xls samples/sample.ppt \
    tests/data/pdf_report.pdf; do
  name=$(basename "$document")
  for side in packaged tree; do
    cp "$document" "$work/$side/$name"
  done
  (cd "$work/packaged" && "$work/root/usr/bin/lumen" "$name" "$name.html")
  (cd "$work/tree" && "$root/build/lumen" "$name" "$name.html")
  [ -s "$work/packaged/$name.html" ] || fail "no output for $name"
  cmp "$work/packaged/$name.html" "$work/tree/$name.html" || fail "$name converts differently"
  echo "package check: $name converted to $(wc -c <"$work/packaged/$name.html") bytes"
done
echo "package check: $(basename "$deb") passed"
