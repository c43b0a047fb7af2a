#!/bin/sh
# Builds the PDF plug-in's own poppler: the core library and the FreeType it
# needs, from the sources of the Debian release this machine runs (with Debian's
# patches), as static position-independent archives in deps/poppler/. The
# plug-in links them in and then needs no shared library but the C library's: the
# system's poppler brings about thirty libraries whose loading and symbol binding
# cost a PDF conversion more than half of its time.
#
# Only what text extraction uses is built: no image decoders, colour management,
# font configuration, signatures, network or compression libraries, none of which
# changes the text. Assertions stay on, as in Debian's build. The encoding data
# (CMaps, name-to-Unicode tables) is read from /usr/share/poppler, where Debian's
# poppler-data puts it.
#
# Does nothing when deps/poppler/ was built by this very script.
#
#   sh scripts/build-poppler.sh
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
prefix="$root/deps/poppler"
stamp="$prefix/built-by"
recipe=$(sha256sum scripts/build-poppler.sh | cut -d' ' -f1)
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ]; then
  exit 0
fi
work="$root/deps/work"
rm -rf "$prefix" "$work"
mkdir -p "$work/lists/partial"
# Runs a step with its output kept, and shown only when it fails.
quiet() {
  "$@" >"$work/log" 2>&1 || { cat "$work/log" >&2; exit 1; }
}

# The source packages are fetched through a list of their own, so that the
# system's package lists and sources stay as they are.
. /etc/os-release
archive="[signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org"
cat >"$work/sources.list" <<EOF
deb-src $archive/debian $VERSION_CODENAME main
deb-src $archive/debian $VERSION_CODENAME-updates main
deb-src $archive/debian-security $VERSION_CODENAME-security main
EOF
apt_options="-q -o Dir::Etc::SourceList=$work/sources.list -o Dir::Etc::SourceParts=/nonexistent
  -o Dir::State::Lists=$work/lists -o APT::Sandbox::User=root"
quiet apt-get $apt_options update
(cd "$work" && quiet apt-get $apt_options source freetype poppler)

jobs=$(nproc)
# Debian's hardening, without debug information.
flags="-O2 -D_FORTIFY_SOURCE=2 -fstack-protector-strong -fstack-clash-protection -fcf-protection"
common="-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=ON
  -DCMAKE_INSTALL_PREFIX=$prefix -DCMAKE_INSTALL_LIBDIR=lib"

quiet cmake -S "$work"/freetype-*/ -B "$work/freetype-build" $common \
  -DCMAKE_C_FLAGS_RELEASE="$flags" \
  -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
quiet cmake --build "$work/freetype-build" -j "$jobs"
quiet cmake --install "$work/freetype-build"

quiet cmake -S "$work"/poppler-*/ -B "$work/poppler-build" $common \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_C_FLAGS_RELEASE="$flags" \
  -DCMAKE_CXX_FLAGS_RELEASE="$flags" -DPOPPLER_DATADIR=/usr/share/poppler \
  -DENABLE_UNSTABLE_API_ABI_HEADERS=ON -DENABLE_UTILS=OFF -DENABLE_CPP=OFF \
  -DENABLE_GLIB=OFF -DENABLE_QT5=OFF -DENABLE_QT6=OFF -DENABLE_BOOST=OFF \
  -DENABLE_LIBCURL=OFF -DENABLE_ZLIB=OFF -DENABLE_CMS=none -DENABLE_LIBOPENJPEG=none \
  -DENABLE_DCTDECODER=none -DFONT_CONFIGURATION=generic \
  -DCMAKE_DISABLE_FIND_PACKAGE_NSS3=ON -DCMAKE_DISABLE_FIND_PACKAGE_PNG=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_TIFF=ON -DCMAKE_DISABLE_FIND_PACKAGE_JPEG=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_Cairo=ON -DBUILD_GTK_TESTS=OFF -DBUILD_QT5_TESTS=OFF \
  -DBUILD_QT6_TESTS=OFF -DBUILD_CPP_TESTS=OFF -DBUILD_MANUAL_TESTS=OFF \
  -DRUN_GPERF_IF_PRESENT=OFF
quiet cmake --build "$work/poppler-build" -j "$jobs"
quiet cmake --install "$work/poppler-build"

# Their copyright and licence terms go with the package that links them in.
mkdir -p "$prefix/copyright"
for source in freetype poppler; do
  cp "$work"/$source-*/debian/copyright "$prefix/copyright/$source"
done

# poppler's file helpers define openFile(const char*, const char*), as lumen's
# util/files.h does; linked into one library, the two would clash.
objcopy --redefine-sym _Z8openFilePKcS0_=_Z15popplerOpenFilePKcS0_ "$prefix/lib/libpoppler.a"
rm -rf "$work"
echo "$recipe" >"$stamp"
echo "build-poppler: $(ls "$prefix"/lib/*.a | wc -l) libraries in deps/poppler/"
