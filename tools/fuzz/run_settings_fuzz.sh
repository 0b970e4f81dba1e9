#!/usr/bin/env bash
# Builds the fuzz targets of the settings reader and of the in-memory JPEG
# decoder with clang's libFuzzer (address and undefined-behaviour sanitizers)
# and runs one of them on its committed corpus.
#   bash tools/fuzz/run_settings_fuzz.sh [seconds] [settings_reader|jpeg_block]
# (default 240 seconds, settings_reader). New inputs go to
# build/fuzz/corpus_<target>, crashes to build/fuzz/.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-240}
target=${2:-settings_reader}
out=build/fuzz
mkdir -p "$out/corpus_$target"
clang++ -std=c++20 -O1 -g -ffp-contract=off -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -DORBALIX_HAVE_JPEG=1 -I. \
  "tools/fuzz/${target}_fuzz.cpp" settings/file_primitives.cpp settings/jpeg_memory.cpp \
  settings/jpeg_tables.cpp settings/thumbnail.cpp settings/settings_defaults.cpp settings/settings_file.cpp \
  platform/posix/settings_os_posix.cpp -ljpeg -o "$out/${target}_fuzz"
# A memory file system keeps the one-file-per-input reads fast.
if [ -d /dev/shm ]; then export TMPDIR=/dev/shm; fi
"$out/${target}_fuzz" -max_total_time="$seconds" -max_len=70000 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$out/" "$out/corpus_$target" "tools/fuzz/corpus/$target"
