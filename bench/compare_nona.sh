#!/usr/bin/env bash
# Times the orbalix program against hugin-tools' nona, each on one thread, on
# the same 4096 x 2048 equirectangular image rendered into a same-size
# sinusoidal output (a projection both have). Prints the best of a few runs
# of each, whole process (read, render, write), and their ratio.
#
#   bash bench/compare_nona.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}
if ! command -v nona >/dev/null; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends hugin-tools
fi
bash tools/install-deps.sh >/dev/null
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release --target orbalix >/dev/null
orbalix=$PWD/build/release/app/orbalix

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The source: the Earth map resampled to 4096 x 2048 (the filter's default
# settings draw an equirectangular source as itself).
"$orbalix" render /usr/share/xplanet/images/earth.jpg "$work/source.tif" --size 4096x2048
cat >"$work/sinusoidal.pto" <<PTO
p f7 w4096 h2048 v360 n"TIFF c:NONE"
m i0
i w4096 h2048 f4 v360 r0 p0 y0 n"$work/source.tif"
PTO

# Seconds of the fastest of $runs runs of the command.
best_time() {
  local best=""
  for _ in $(seq "$runs"); do
    local start end t
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    t=$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
  done
  printf '%.3f' "$best"
}

export OMP_NUM_THREADS=1
one_cpu="taskset -c 0"
t_orbalix=$(best_time $one_cpu "$orbalix" render "$work/source.tif" "$work/orbalix.tif" --output sinusoidal)
t_nona=$(best_time $one_cpu nona -o "$work/nona" "$work/sinusoidal.pto")
[ -s "$work/orbalix.tif" ] || { echo "orbalix wrote no output" >&2; exit 1; }
ls "$work"/nona*.tif >/dev/null 2>&1 || { echo "nona wrote no output" >&2; exit 1; }

if cmp -s "$work/source.tif" "$work/orbalix.tif"; then
  echo "note: orbalix gave back its source unchanged, so the ratio times no reprojection"
fi
echo "4096 x 2048 equirectangular -> 4096 x 2048 sinusoidal, one thread, best of $runs"
echo "orbalix: ${t_orbalix} s"
echo "nona:    ${t_nona} s"
echo "ratio orbalix / nona: $(awk -v a="$t_orbalix" -v b="$t_nona" 'BEGIN { printf "%.2f\n", a / b }')"
