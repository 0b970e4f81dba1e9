#!/usr/bin/env bash
# Installs what building, testing and running Orbalix needs on Debian 12 (as root).
set -euo pipefail
packages=(
  cmake ninja-build g++ make pkg-config python3 python3-mpmath
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libpng-dev libjpeg62-turbo-dev libtiff-dev
  mingw-w64 g++-mingw-w64-x86-64-posix wine wine64
  proj-bin libjpeg-turbo-progs xplanet-images imagemagick locales
  python3-psd-tools libimage-exiftool-perl clang libclang-rt-14-dev libboost-dev
  assimp-utils admesh tidy chromium xvfb xauth
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
# The dialog's number tests also run under a locale with a decimal comma.
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  localedef -i de_DE -c -f UTF-8 de_DE.UTF-8
fi
