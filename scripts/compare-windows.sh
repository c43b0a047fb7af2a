#!/bin/sh
# Converts every .doc, .xls, .ppt and .pdf document of the given folders (or
# files; PDFs only when the Windows build has its pdfconv.dll) with the Linux
# build (build/lumen) and with the Windows build under Wine
# (build-win/lumen/lumen.exe, as `cmake --install` lays it out), both with the
# shipped lumen.cfg, and fails unless every output and exit code are the same.
# Prints the mean whole-run time of each. Run scripts/test-windows.sh first (it
# sets up Wine and calls this script); the Linux program is built here if missing.
#
#   sh scripts/compare-windows.sh tests/data samples /path/to/more/documents
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
[ $# -gt 0 ] || set -- tests/data samples
: "${WINEPREFIX:=$root/build-win/wine}"
export WINEPREFIX WINEARCH=win32 WINEDEBUG=-all

if [ ! -x build/lumen ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DLUMEN_TESTS=OFF
fi
cmake --build build --target lumen -j "$(nproc)" >/dev/null

# Each build runs in its own folder: the Linux one with lumen.cfg, pptconv.dat,
# pages/ and tables/ of the source tree, the Windows one as installed. The documents are
# copied into docs/ of each and named relatively, so that the names written into
# the output are the same bytes.
work="$root/build-win/compare"
rm -rf "$work"
mkdir -p "$work/linux/docs" "$work/linux/out" "$work/windows"
cp -r lumen.cfg pptconv.dat pages tables "$work/linux/"
cmake --install build-win/lumen --prefix "$work/windows" >/dev/null
windows="$work/windows/bin"
mkdir -p "$windows/docs" "$windows/out"

pdf='*.pdf'
if [ ! -e "$windows/pdfconv.dll" ]; then
  echo "no pdfconv.dll in the Windows build: PDFs are not compared"
  pdf='*.no-plug-in'
fi
for place in "$@"; do
  if [ -d "$place" ]; then
    find "$place" -maxdepth 1 -type f \( -iname '*.doc' -o -iname '*.xls' -o -iname '*.ppt' \
      -o -iname "$pdf" \) -exec cp {} "$work/linux/docs/" \;
  else
    cp "$place" "$work/linux/docs/"
  fi
done
cp "$work/linux/docs/"* "$windows/docs/" 2>/dev/null || true
ls "$work/linux/docs" >"$work/names"
count=$(wc -l <"$work/names")
[ "$count" -gt 0 ] || { echo "no documents in $*"; exit 1; }

now_ms() { date +%s%3N; }

# One Wine server for the whole series, ended below (after any running one has gone).
wineserver -w
wineserver -p
linux_start=$(now_ms)
while read -r name; do
  (cd "$work/linux" && "$root/build/lumen" "docs/$name" "out/$name.html"; echo $? >"out/$name.code")
done <"$work/names"
linux_ms=$(($(now_ms) - linux_start))

windows_start=$(now_ms)
while read -r name; do
  (cd "$windows" && wine lumen.exe "docs/$name" "out/$name.html"; echo $? >"out/$name.code")
done <"$work/names"
windows_ms=$(($(now_ms) - windows_start))
wineserver -k || true

differ=0
while read -r name; do
  for file in "$name.html" "$name.code"; do
    a="$work/linux/out/$file"
    b="$windows/out/$file"
    if { [ -e "$a" ] || [ -e "$b" ]; } && ! cmp -s "$a" "$b"; then
      echo "differs: $file"
      differ=$((differ + 1))
    fi
  done
done <"$work/names"
echo "$count documents; mean whole run: Linux $((linux_ms / count)) ms, Windows under Wine $((windows_ms / count)) ms"
if [ "$differ" -ne 0 ]; then
  echo "$differ outputs differ between the Linux and the Windows build"
  exit 1
fi
echo "every output and exit code is the same"
