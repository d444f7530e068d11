#!/usr/bin/env bash
# Builds everything and runs every test, then every test again (the windows' offscreen)
# under AddressSanitizer and UndefinedBehaviorSanitizer, then every fuzz target for a few seconds
# (one that no longer builds or crashes at once fails the run). Tests run in a private network
# namespace (scripts/isolated.sh). LeakSanitizer ignores only what the system's font and message
# bus libraries keep for the life of the process (scripts/lsan-suppressions.txt).
#   scripts/test.sh            all of it
#   scripts/test.sh --quick    skip the sanitizer and fuzzing passes
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
[ "${1:-}" = "--quick" ] && quick=1

scripts/bootstrap.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel "$jobs"
scripts/isolated.sh ctest --test-dir build --output-on-failure --timeout 300 -j "$jobs"

if [ "$quick" -eq 0 ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMAR_SANITIZE=ON -DVELMAR_BUILD_BENCH=OFF
  cmake --build build-asan --parallel "$jobs"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions="$PWD/scripts/lsan-suppressions.txt":print_suppressions=0 \
    scripts/isolated.sh ctest --test-dir build-asan --output-on-failure --timeout 600 -j "$jobs"
  scripts/fuzz.sh 5
fi
