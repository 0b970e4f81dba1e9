#!/usr/bin/env bash
# Peak memory of a large PSD export: the orbalix program exports a 4096 x 2048
# equirectangular source as a 16384 x 8192 document at 16 bits a channel. The
# layer is rendered into one export image and written from it row by row, so
# the process should hold that image (8 bytes a pixel, with its pyramid levels
# a third more) and the source, never the 2 GB file. Prints the peak resident
# size, the size of one layer and the file's size.
#
#   bash bench/export_psd_memory.sh [WIDTHxHEIGHT]
set -euo pipefail
cd "$(dirname "$0")/.."
size=${1:-16384x8192}
bash tools/install-deps.sh >/dev/null
if ! [ -x /usr/bin/time ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends time >/dev/null
fi
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release --target orbalix >/dev/null
orbalix=$PWD/build/release/app/orbalix

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$orbalix" render /usr/share/xplanet/images/earth.jpg "$work/source.png" --size 4096x2048
/usr/bin/time -v "$orbalix" export psd "$work/source.png" "$work/big.psd" --size "$size" --depth 16 \
  --output Mollweide 2>"$work/time.txt"
width=${size%x*}
height=${size#*x}
peak_kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
elapsed=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time.txt")
layer_mib=$((width * height * 8 / 1048576))
echo "export psd $size, 16 bits a channel, from a 4096 x 2048 source"
echo "  peak resident size:      $((peak_kb / 1024)) MiB"
echo "  one layer (export image): $layer_mib MiB, $((layer_mib * 4 / 3)) MiB with its pyramid levels"
echo "  file written:            $(($(stat -c %s "$work/big.psd") / 1048576)) MiB"
echo "  elapsed:                 $elapsed"
