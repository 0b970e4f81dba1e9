#!/usr/bin/env bash
# Instructions the orbalix program spends rendering (callgrind's count of the
# filter's own run, without reading and writing the files) for the outputs
# whose rows we follow: equirectangular, Mollweide, rectilinear and Peirce
# quincunx, from a W x H equirectangular source into a document of the same
# size, on one thread. Counts do not depend on the load of the machine, so
# two builds can be compared while others work on it; the digest of each
# output shows whether the two builds wrote the same bytes.
#
#   bash bench/instruction_counts.sh [WxH] [OTHER_ORBALIX]
set -euo pipefail
cd "$(dirname "$0")/.."
size=${1:-2048x1024}
other=${2:-}
for tool in valgrind:valgrind tiffcp:libtiff-tools; do
  command -v "${tool%%:*}" >/dev/null || {
    export DEBIAN_FRONTEND=noninteractive
    apt-get install -y -q --no-install-recommends "${tool#*:}" >/dev/null
  }
done
orbalix=${ORBALIX:-$PWD/build/release/app/orbalix}
programs=("$orbalix")
[ -n "$other" ] && programs+=("$(realpath "$other")")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$orbalix" render /usr/share/xplanet/images/earth.jpg "$work/source.tif" --size "$size"

# "instructions digest" of one render.
count() {
  local program=$1 output=$2 tag=$3
  valgrind --tool=callgrind --toggle-collect=PluginMain --callgrind-out-file="$work/$tag.cg" \
    "$program" render "$work/source.tif" "$work/$tag.tif" --output "$output" --threads 1 >/dev/null 2>&1
  local ir
  ir=$(grep -m1 '^summary:' "$work/$tag.cg" | awk '{ print $2 }')
  # The digest of the pixels and tags, whatever deflate level wrote the strips.
  tiffcp -c none "$work/$tag.tif" "$work/$tag-plain.tif"
  echo "$ir $(md5sum <"$work/$tag-plain.tif" | cut -c1-16)"
}

printf '%-18s' "output ($size)"
for p in "${programs[@]}"; do printf ' %28s' "$(basename "$(dirname "$p")")/$(basename "$p")"; done
printf '\n'
for output in equirectangular Mollweide rectilinear "Peirce quincunx"; do
  tag=$(echo "$output" | tr -cd 'A-Za-z')
  pids=()
  for i in "${!programs[@]}"; do
    count "${programs[$i]}" "$output" "$tag$i" >"$work/$tag$i.count" &
    pids+=($!)
  done
  wait "${pids[@]}"
  printf '%-18s' "$output"
  for i in "${!programs[@]}"; do
    read -r ir digest <"$work/$tag$i.count"
    printf ' %14s Ir %s' "$ir" "$digest"
  done
  printf '\n'
done
