#!/bin/bash
# Builds SDL2, SDL2_mixer (OGG through its own decoder, no MIDI) and SDL2_image (BMP only) as
# static WebAssembly libraries from Debian's source packages, into BUILD_WEB_DIR/prefix.
# Does nothing when they are there already.
#   web/build-libs.sh BUILD_WEB_DIR [JOBS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
web=$(realpath -m "$1")
jobs=${2:-2}
prefix=$web/prefix
stamp=$prefix/libs.stamp
[ -e "$stamp" ] && exit 0
. "$here/emsdk-env.sh" "$web"
src=$web/sources
rm -rf "$src" "$web/libbuild" "$prefix"
mkdir -p "$src"
"$here/debian-sources.sh" "$src" libsdl2 libsdl2-mixer libsdl2-image
one() {  # one source folder matching a pattern
  local d
  d=$(find "$src" -maxdepth 1 -type d -name "$1" | head -n 1)
  [ -n "$d" ] || { echo "no source folder $1 in $src" >&2; exit 1; }
  echo "$d"
}
build() {  # name source-folder cmake-options...
  local name=$1 dir=$2; shift 2
  emcmake cmake -S "$dir" -B "$web/libbuild/$name" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_ROOT_PATH="$prefix" \
    -DBUILD_SHARED_LIBS=OFF "$@" > "$web/libbuild-$name.log"
  cmake --build "$web/libbuild/$name" -j "$jobs" >> "$web/libbuild-$name.log"
  cmake --install "$web/libbuild/$name" >> "$web/libbuild-$name.log"
}
build sdl2 "$(one 'libsdl2-2*')" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_THREADS=OFF
build mixer "$(one 'libsdl2-mixer-*')" -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_SAMPLES=OFF \
  -DSDL2MIXER_OGG=ON -DSDL2MIXER_VORBIS=STB -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_FLAC=OFF \
  -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MP3=OFF -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_WAVPACK=OFF \
  -DSDL2MIXER_CMD=OFF -DSDL2MIXER_WAVE=ON
build image "$(one 'libsdl2-image-*')" -DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_SAMPLES=OFF \
  -DSDL2IMAGE_DEPS_SHARED=OFF -DSDL2IMAGE_BMP=ON -DSDL2IMAGE_AVIF=OFF -DSDL2IMAGE_GIF=OFF \
  -DSDL2IMAGE_JPG=OFF -DSDL2IMAGE_JXL=OFF -DSDL2IMAGE_LBM=OFF -DSDL2IMAGE_PCX=OFF \
  -DSDL2IMAGE_PNG=OFF -DSDL2IMAGE_PNM=OFF -DSDL2IMAGE_QOI=OFF -DSDL2IMAGE_SVG=OFF \
  -DSDL2IMAGE_TGA=OFF -DSDL2IMAGE_TIF=OFF -DSDL2IMAGE_WEBP=OFF -DSDL2IMAGE_XCF=OFF \
  -DSDL2IMAGE_XPM=OFF -DSDL2IMAGE_XV=OFF
touch "$stamp"
