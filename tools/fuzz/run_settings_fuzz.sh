#!/usr/bin/env bash
# Builds the settings-reader fuzz target with clang's libFuzzer (address and
# undefined-behaviour sanitizers) and runs it on the committed corpus.
#   bash tools/fuzz/run_settings_fuzz.sh [seconds]   (default 240)
# New inputs go to build/fuzz/corpus, crashes to build/fuzz/.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-240}
out=build/fuzz
mkdir -p "$out/corpus"
clang++ -std=c++20 -O1 -g -ffp-contract=off -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -DORBALIX_HAVE_JPEG=1 -I. \
  tools/fuzz/settings_reader_fuzz.cpp settings/file_primitives.cpp settings/jpeg_memory.cpp \
  settings/jpeg_tables.cpp settings/thumbnail.cpp settings/settings_defaults.cpp settings/settings_file.cpp \
  platform/posix/settings_os_posix.cpp -ljpeg -o "$out/settings_reader_fuzz"
# A memory file system keeps the one-file-per-input reads fast.
if [ -d /dev/shm ]; then export TMPDIR=/dev/shm; fi
"$out/settings_reader_fuzz" -max_total_time="$seconds" -max_len=70000 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$out/" "$out/corpus" tools/fuzz/corpus/settings_reader
