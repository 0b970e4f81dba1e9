#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer, float-to-integer overflow included) and runs
# each on its committed corpus:
#   settings_reader  the settings-file reader
#   jpeg_block       the in-memory JPEG decoder of settings thumbnails
#   png_reader, jpeg_reader, tiff_reader   the orbalix program's image readers
#
#   bash tools/fuzz/run_fuzz.sh [seconds] [target...]   each target for that long
#                                                       (default 240 s, all targets)
#   bash tools/fuzz/run_fuzz.sh --corpus                rewrite the image readers' seed files
#
# The committed corpora hold seed files and found_* inputs that longer runs
# added (merged with -merge=1, so each brings new coverage).
# FUZZ_SEED fixes the fuzzer's seed (the test command uses 1). New inputs go to
# build/fuzz/corpus_<target>, crashes to build/fuzz/.
set -euo pipefail
cd "$(dirname "$0")/../.."
out=build/fuzz
mkdir -p "$out"
if ! command -v clang++ >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends clang
fi
flags=(-std=c++20 -O1 -g -ffp-contract=off -fno-sanitize-recover=all -I.)
sanitize=-fsanitize=address,undefined,float-cast-overflow

if [ "${1:-}" = "--corpus" ]; then
  clang++ "${flags[@]}" tools/fuzz/make_image_corpus.cpp -lpng -ljpeg -ltiff -o "$out/make_image_corpus"
  # Rewrites the seed files; the found_* inputs that fuzzing added stay.
  "$out/make_image_corpus" tools/fuzz/corpus
  exit 0
fi

seconds=${1:-240}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(settings_reader jpeg_block png_reader jpeg_reader tiff_reader)

settings_sources=(settings/file_primitives.cpp settings/jpeg_memory.cpp settings/jpeg_tables.cpp settings/thumbnail.cpp
                  settings/settings_defaults.cpp settings/settings_file.cpp platform/posix/settings_os_posix.cpp)
image_sources=(app/image_files.cpp app/png_files.cpp app/jpeg_files.cpp app/tiff_files.cpp
               platform/posix/private_files_posix.cpp)
sources_of() {
  case $1 in
    settings_reader|jpeg_block) echo "${settings_sources[@]}" ;;
    png_reader|jpeg_reader|tiff_reader) echo "${image_sources[@]}" ;;
    *) echo "unknown fuzz target: $1" >&2; exit 2 ;;
  esac
}
# Every source once (shared by the targets that use it), then one link per target.
objects=$out/objects
mkdir -p "$objects"
all_sources=()
for target in "${targets[@]}"; do
  all_sources+=("tools/fuzz/${target}_fuzz.cpp")
  read -r -a list <<<"$(sources_of "$target")"
  all_sources+=("${list[@]}")
done
printf '%s\n' "${all_sources[@]}" | sort -u | xargs -P "$(nproc)" -I{} sh -c \
  'clang++ "$@" -c "{}" -o "'"$objects"'/$(echo "{}" | tr / _).o"' _ \
  "${flags[@]}" -fsanitize=fuzzer-no-link $sanitize -DORBALIX_HAVE_JPEG=1
# What the settings files reach beyond their own folder (the image pyramid that
# scales thumbnails, and what it uses) comes from the native build's core
# library, linked after the instrumented objects and not itself instrumented.
core=build/release/liborbalix_core.a
if [ ! -f "$core" ]; then
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build/release --target orbalix_core >/dev/null
fi
for target in "${targets[@]}"; do
  read -r -a list <<<"$(sources_of "$target")"
  objs=("$objects/tools_fuzz_${target}_fuzz.cpp.o")
  for source in "${list[@]}"; do objs+=("$objects/$(echo "$source" | tr / _).o"); done
  clang++ -fsanitize=fuzzer $sanitize "${objs[@]}" "$core" -lpng -ljpeg -ltiff -lz -o "$out/${target}_fuzz"
done

# A memory file system keeps the one-file-per-input reads fast.
if [ -d /dev/shm ]; then export TMPDIR=/dev/shm; fi
for target in "${targets[@]}"; do
  echo "== fuzzing $target for ${seconds}s"
  mkdir -p "$out/corpus_$target"
  status=0
  "$out/${target}_fuzz" -max_total_time="$seconds" -max_len=70000 -timeout=10 -rss_limit_mb=2048 \
    -seed="${FUZZ_SEED:-0}" -print_final_stats=1 -artifact_prefix="$out/" \
    "$out/corpus_$target" "tools/fuzz/corpus/$target" >"$out/$target.log" 2>&1 || status=$?
  grep -E "^stat::number_of_executed_units|ERROR|SUMMARY|runtime error|Test unit written" "$out/$target.log" || true
  if [ "$status" -ne 0 ]; then
    tail -40 "$out/$target.log"
    exit "$status"
  fi
done
