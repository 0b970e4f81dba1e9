#!/usr/bin/env bash
# Runs the main job on a sample panorama.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$(nproc)"
if [ -x build/release/app/orbalix ]; then
  mkdir -p out
  build/release/app/orbalix render /usr/share/xplanet/images/earth.jpg out/earth-mollweide.png --output mollweide
  echo "wrote out/earth-mollweide.png"
else
  echo "the orbalix program is not built yet; the core library built in build/release"
fi
