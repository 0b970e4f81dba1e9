#!/usr/bin/env bash
# Runs the main job: renders the Earth map of Debian's xplanet-images package
# (an equirectangular panorama) into a few projections under out/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$(nproc)" --target orbalix
orbalix=build/release/app/orbalix
earth=/usr/share/xplanet/images/earth.jpg
mkdir -p out
run() {
  printf 'orbalix render'
  printf ' %q' "$@"
  echo
  "$orbalix" render "$@"
}
run "$earth" out/earth-mollweide.png --output Mollweide
run "$earth" out/earth-peirce-quincunx.png --output "Peirce quincunx" --size 1024x1024
run "$earth" out/earth-orthographic.jpg --output orthographic --latitude 30 --longitude -20 --size 1024x1024
run "$earth" out/earth-stereographic.png --output stereographic --size 1024x1024
run "$earth" out/earth-winkel-tripel.tif --output "Winkel Tripel" --longitude 150
echo
echo "tools/contact_sheet.sh: every catalogue net output on one sheet"
TILE=320x240 ORBALIX="$orbalix" bash tools/contact_sheet.sh "$earth" out/catalogue-nets.png
echo
echo "The outputs are in $(pwd)/out:"
ls -l out/earth-* out/catalogue-nets.png
