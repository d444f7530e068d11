#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (libraries instrumented too) and runs each for SECONDS
# (default 60), starting from the seed corpus in fuzz/corpus/<target> with fuzz/velmar.dict. New
# inputs go to build-fuzz/corpus/<target>, never into the tree; a crash leaves its input in
# build-fuzz/findings/ and makes the script fail. CI runs it for a few seconds a target.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
targets=(codec snapshot discovery session settings firmware labels tables)
build=build-fuzz

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DVELMAR_FUZZ=ON -DVELMAR_BUILD_GUI=OFF -DVELMAR_BUILD_BENCH=OFF >/dev/null
nice cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]/#/velmar-fuzz-}"

mkdir -p "$build/findings"
failed=()
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  log="$build/fuzz-$target.log"
  echo "fuzz: $target for ${seconds}s"
  if ! nice "$build/bin/velmar-fuzz-$target" "$corpus" "fuzz/corpus/$target" -dict=fuzz/velmar.dict \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$build/findings/$target-" >"$log" 2>&1; then
    failed+=("$target")
    tail -n 40 "$log"
  fi
  # The last status line: executions, coverage (cov: edges, ft: features) and the corpus.
  grep -E '^#[0-9]+' "$log" | tail -n 1 || true
  grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$log" || true
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz: findings in ${failed[*]} (inputs in $build/findings/)" >&2
  exit 1
fi
