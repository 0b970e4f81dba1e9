#!/usr/bin/env bash
# Builds Debian's libjpeg-turbo source for the mingw-w64 cross build (Debian
# ships the library for the native build only). Installs into the folder given
# as $1 (default build/mingw-jpeg); does nothing when it is already there.
set -euo pipefail
cd "$(dirname "$0")/.."
prefix="$(realpath -m "${1:-build/mingw-jpeg}")"
if [ -f "$prefix/lib/libjpeg.a" ] && [ -f "$prefix/include/jpeglib.h" ]; then
  exit 0
fi
work="$(realpath -m build/mingw-jpeg-src)"
rm -rf "$work" && mkdir -p "$work"
if ! ls /etc/apt/sources.list.d/*.sources 2>/dev/null | xargs grep -qs "deb-src" ; then
  cat > /etc/apt/sources.list.d/orbalix-deb-src.sources <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  apt-get update -q >/dev/null
fi
(cd "$work" && apt-get source -q --download-only libjpeg-turbo >/dev/null 2>&1 &&
  tar xzf libjpeg-turbo_*.orig.tar.gz && mv libjpeg-turbo-*/ src)
cmake -S "$work/src" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
  -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF -Wno-dev >/dev/null
cmake --build "$work/build" -j "$(nproc)" >/dev/null
cmake --install "$work/build" >/dev/null
rm -rf "$work"
