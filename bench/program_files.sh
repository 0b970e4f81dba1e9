#!/usr/bin/env bash
# The orbalix program's file side: wall time and peak memory of whole runs
# (read, render, write) on large images, and a byte-for-byte comparison of
# decoded outputs against another build of the program.
#
#   bash bench/program_files.sh [OTHER_ORBALIX]
#
# Measures build/release/app/orbalix (and OTHER_ORBALIX when given, side by
# side) on:
#   - 4096 x 2048 PNG -> PNG, equirectangular to sinusoidal (best of 3);
#   - 16384 x 8192 PNG -> PNG, the same (one run), with the peak resident
#     memory as a multiple of the document's bytes.
# With OTHER_ORBALIX it then renders a set of cases (PNG, JPEG and TIFF in and
# out, 8 and 16 bits, float, alpha, --size) with both programs and compares the
# decoded pixels of every output (netpbm and djpeg decode them).
set -euo pipefail
cd "$(dirname "$0")/.."
other=${1:-}
for tool in pngtopnm djpeg /usr/bin/time; do
  command -v "$tool" >/dev/null || {
    export DEBIAN_FRONTEND=noninteractive
    apt-get install -y -q --no-install-recommends netpbm libjpeg-turbo-progs time >/dev/null
    break
  }
done
bash tools/install-deps.sh >/dev/null
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release --target orbalix >/dev/null
orbalix=$PWD/build/release/app/orbalix
programs=("$orbalix")
[ -n "$other" ] && programs+=("$(realpath "$other")")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
earth=/usr/share/xplanet/images/earth.jpg
"$orbalix" render "$earth" "$work/earth4k.png" --size 4096x2048
"$orbalix" render "$work/earth4k.png" "$work/earth16k.png" --size 16384x8192

# "seconds peak-KiB" of one run.
measure() {
  /usr/bin/time -f '%e %M' -o "$work/time.txt" "$@" >/dev/null 2>&1
  cat "$work/time.txt"
}

echo "4096 x 2048 PNG -> PNG sinusoidal, best of 3"
for p in "${programs[@]}"; do
  best=""
  for _ in 1 2 3; do
    read -r t _ < <(measure "$p" render "$work/earth4k.png" "$work/out4k.png" --output sinusoidal)
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
  done
  echo "  $p: ${best} s, output $(stat -c %s "$work/out4k.png") bytes"
done

document=$((16384 * 8192 * 3))
echo "16384 x 8192 PNG -> PNG sinusoidal (document $((document / 1048576)) MiB)"
for p in "${programs[@]}"; do
  read -r t kb < <(measure "$p" render "$work/earth16k.png" "$work/out16k.png" --output sinusoidal)
  echo "  $p: ${t} s, peak $((kb / 1024)) MiB = $(awk -v k="$kb" -v d="$document" 'BEGIN { printf "%.2f", k * 1024 / d }') x the document"
done

[ -n "$other" ] || exit 0
echo "decoded outputs of the two programs:"
"$orbalix" render "$earth" "$work/rgb8.png" --size 512x256
"$orbalix" render "$earth" "$work/rgb16.tif" --size 512x256
"$orbalix" render "$work/rgb16.tif" "$work/rgb16.png"
pngtopnm "$work/rgb16.png" | pnmdepth 65535 | pnmtopng >"$work/rgb16deep.png"
"$orbalix" render "$work/rgb16deep.png" "$work/rgb16deep.tif"
decode() {
  case $1 in
    *.png) pngtopnm "$1"; pngtopnm -alpha "$1" 2>/dev/null || true ;;
    *.jpg) djpeg "$1" ;;
    *.tif) tifftopnm -quiet "$1" 2>/dev/null || tiffcp -c none "$1" /dev/stdout ;;
  esac
}
same=0 different=0
for input in "$work/rgb8.png" "$work/rgb16deep.png" "$work/rgb16deep.tif" "$earth"; do
  for out in png jpg tif; do
    for args in "--output sinusoidal" "--output Mollweide --latitude 20 --glue multiply" "--size 300x300 --output stereographic" "--output 25 --edges on"; do
      # shellcheck disable=SC2086
      "${programs[0]}" render "$input" "$work/a.$out" $args >/dev/null
      # shellcheck disable=SC2086
      "${programs[1]}" render "$input" "$work/b.$out" $args >/dev/null
      if [ "$(decode "$work/a.$out" | md5sum)" = "$(decode "$work/b.$out" | md5sum)" ]; then
        same=$((same + 1))
      else
        different=$((different + 1))
        echo "  DIFFERENT: $(basename "$input") -> .$out $args"
      fi
    done
  done
done
echo "  $same identical, $different different"
