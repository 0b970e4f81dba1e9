#!/usr/bin/env bash
# Times the orbalix program against hugin-tools' nona and against ffmpeg's
# v360 filter (bilinear and lanczos) on the same reprojection: a 4096 x 2048
# equirectangular image rendered into a same-size sinusoidal output (a
# projection all three have). Every figure is the best of a few runs of the
# whole process (read, render, write); all programs run side by side in one
# go so that the load of the machine is the same for each.
#
#   bash bench/compare_nona.sh [runs] [mode]
#
# mode one      every program on one thread (one core), the default
# mode all      every program on all cores (nona through OMP_NUM_THREADS,
#               ffmpeg with its own thread options, orbalix by default)
# mode scaling  orbalix on 1, 2, 4 and 8 threads
# mode memory   peak memory of orbalix rendering 16384 x 8192 on 1 thread and
#               on all cores, against the size of the document
# mode every    one, all and scaling
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}
mode=${2:-one}
need=()
command -v nona >/dev/null || need+=(hugin-tools)
command -v ffmpeg >/dev/null || need+=(ffmpeg)
[ -x /usr/bin/time ] || need+=(time)
command -v tiffcp >/dev/null || need+=(libtiff-tools)
if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${need[@]}"
fi
# ORBALIX names another build of the program to time (none is built then);
# ORBALIX_OLD adds an older build, timed side by side with the same settings.
if [ -z "${ORBALIX:-}" ]; then
  bash tools/install-deps.sh >/dev/null
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build/release --target orbalix >/dev/null
fi
orbalix=${ORBALIX:-$PWD/build/release/app/orbalix}
cores=$(nproc)

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
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# ffmpeg's command for an interpolation and its thread options.
v360() {
  echo ffmpeg -nostdin -loglevel error -y $2 -i "$work/source.tif" \
    -vf "v360=input=e:output=sinusoidal:interp=$1" -frames:v 1 -compression_algo raw "$work/ffmpeg.tif"
}

# One row of figures: orbalix, nona, ffmpeg bilinear and lanczos, with the
# given CPU pinning, thread settings of the others and orbalix's --threads.
compare() {
  local label=$1 pin=$2 omp=$3 ff_threads=$4 orbalix_threads=$5
  local t_orbalix t_nona t_bilinear t_lanczos
  t_orbalix=$(best_time $pin "$orbalix" render "$work/source.tif" "$work/orbalix.tif" --output sinusoidal \
    $orbalix_threads)
  t_nona=$(best_time $pin env OMP_NUM_THREADS="$omp" nona -o "$work/nona" "$work/sinusoidal.pto")
  t_bilinear=$(best_time $pin $(v360 linear "$ff_threads"))
  t_lanczos=$(best_time $pin $(v360 lanczos "$ff_threads"))
  local t_old=""
  if [ -n "${ORBALIX_OLD:-}" ]; then
    t_old=$(best_time $pin "$ORBALIX_OLD" render "$work/source.tif" "$work/old.tif" --output sinusoidal \
      $orbalix_threads)
    # The same pixels and tags, however the strips were compressed.
    tiffcp -c none "$work/old.tif" "$work/old-plain.tif"
    tiffcp -c none "$work/orbalix.tif" "$work/orbalix-plain.tif"
    cmp -s "$work/old-plain.tif" "$work/orbalix-plain.tif" || echo "note: the two orbalix builds wrote different images"
  fi
  [ -s "$work/orbalix.tif" ] || { echo "orbalix wrote no output" >&2; exit 1; }
  ls "$work"/nona*.tif >/dev/null 2>&1 || { echo "nona wrote no output" >&2; exit 1; }
  [ -s "$work/ffmpeg.tif" ] || { echo "ffmpeg wrote no output" >&2; exit 1; }
  echo "4096 x 2048 equirectangular -> 4096 x 2048 sinusoidal, $label, best of $runs"
  echo "  orbalix:                 ${t_orbalix} s"
  [ -z "$t_old" ] || echo "  orbalix (ORBALIX_OLD):   ${t_old} s   new / old: $(ratio "$t_orbalix" "$t_old")"
  echo "  nona:                    ${t_nona} s   orbalix / nona:    $(ratio "$t_orbalix" "$t_nona")"
  echo "  ffmpeg v360 bilinear:    ${t_bilinear} s   orbalix / bilinear: $(ratio "$t_orbalix" "$t_bilinear")"
  echo "  ffmpeg v360 lanczos:     ${t_lanczos} s   orbalix / lanczos:  $(ratio "$t_orbalix" "$t_lanczos")"
}

scaling() {
  local t1="" t
  echo "orbalix on 1..8 threads (4096 x 2048 sinusoidal, best of $runs):"
  for n in 1 2 4 8; do
    t=$(best_time "$orbalix" render "$work/source.tif" "$work/orbalix.tif" --output sinusoidal --threads "$n")
    [ -n "$t1" ] || t1=$t
    echo "  $n threads: ${t} s   speed-up $(ratio "$t1" "$t")"
  done
}

memory() {
  "$orbalix" render /usr/share/xplanet/images/earth.jpg "$work/big.tif" --size 16384x8192
  local document=$((16384 * 8192 * 3)) kb
  echo "peak memory of orbalix, 16384 x 8192 8-bit RGB (document $((document / 1048576)) MiB):"
  for n in 1 "$cores"; do
    kb=$(/usr/bin/time -f %M "$orbalix" render "$work/big.tif" "$work/big-out.tif" --output sinusoidal \
      --threads "$n" 2>&1 >/dev/null | tail -1)
    echo "  $n threads: $((kb / 1024)) MiB = $(awk -v k="$kb" -v d="$document" 'BEGIN { printf "%.2f", k * 1024 / d }') x the document"
  done
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) on $cores cores"
case "$mode" in
  one) compare "one thread" "taskset -c 0" 1 "-threads 1 -filter_threads 1" "--threads 1" ;;
  all) compare "all $cores cores" "" "$cores" "" "" ;;
  scaling) scaling ;;
  memory) memory ;;
  every)
    compare "one thread" "taskset -c 0" 1 "-threads 1 -filter_threads 1" "--threads 1"
    compare "all $cores cores" "" "$cores" "" ""
    scaling
    ;;
  *) echo "unknown mode $mode (one, all, scaling, memory, every)" >&2; exit 2 ;;
esac
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
