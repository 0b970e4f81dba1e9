#!/usr/bin/env bash
# Builds and runs every test: the native suite, the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer (float-to-integer overflow
# included), the threaded render's tests under ThreadSanitizer, a short run of
# the fuzz targets built with clang, and the Windows build of the suite under wine
# on a virtual X display (the plug-in's dialogs are driven there).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
jobs=$(nproc)

echo "== native build"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$jobs"
ctest --test-dir build/release -j "$jobs" --output-on-failure

echo "== sanitizer build"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORBALIX_SANITIZE=ON \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" >/dev/null
cmake --build build/asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/asan -j "$jobs" --output-on-failure

echo "== thread sanitizer build: the threaded render"
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORBALIX_TSAN=ON \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" >/dev/null
cmake --build build/tsan -j "$jobs" --target test_render_threads test_render_run
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
build/tsan/test_render_threads --gtest_brief=1 \
  --gtest_filter='Cases/RenderThreads.EveryThreadCount*:RenderThreadsCheck.*'
build/tsan/test_render_run --gtest_brief=1 --gtest_filter='RunState.*:RenderRun*'
unset TSAN_OPTIONS

echo "== fuzz targets under clang's sanitizers, a short run of each"
FUZZ_SEED=1 bash tools/fuzz/run_fuzz.sh 10

echo "== Windows build under wine"
bash tools/build-mingw-jpeg.sh build/mingw-jpeg
cmake -S . -B build/win64 -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DJPEG_INCLUDE_DIR="$PWD/build/mingw-jpeg/include" -DJPEG_LIBRARY="$PWD/build/mingw-jpeg/lib/libjpeg.a" >/dev/null
cmake --build build/win64 -j "$jobs"
export WINEPREFIX="$PWD/build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The plug-in's dialogs need a display: a virtual one for the length of the leg.
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c \
  "wineboot -i >/dev/null 2>&1 || true; ctest --test-dir build/win64 -j $jobs --output-on-failure"
