#!/bin/sh
# Runs the benchmarks that are measured against a yardstick and prints their ratios: the codec
# against a hand loop over the same bytes (interleaved repetitions, medians), the firmware run
# against a bare client into the same simulator and an echo server process, each also waiting for
# readiness before every read as an event loop does (alternating order, medians), and the
# connect's time beyond its own timers against a bare client doing the same exchange with the same
# simulator (alternating order, medians). Everything talks to loopback only, inside a private
# network namespace. Nothing here is part of the tests: CI times nothing.
#   bench/run-benchmarks.sh [build/bin] [firmware records]
set -eu
cd "$(dirname "$0")/.."
bin=${1:-build/bin}
records=${2:-5000}
json=$(mktemp)
trap 'rm -f "$json"' EXIT

echo "== codec (CPU time, medians of 9 interleaved repetitions)"
"$bin/velmar-bench-codec" --benchmark_filter='RecordedFrameRead|ShortReplies' --benchmark_repetitions=9 \
    --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
    --benchmark_format=json >"$json" 2>/dev/null
python3 - "$json" <<'PY'
import json, sys
medians = {b["run_name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"] if b.get("aggregate_name") == "median"}
def rate(name): return medians[name]["items_per_second"]
def ns(name): return 1e9 / rate(name)
codec, loop = rate("BM_ReadRecordedFrameRead"), rate("BM_HandLoopRecordedFrameRead")
print(f"recorded frame read: {codec / 1e6:6.1f} M lines/s, hand loop {loop / 1e6:6.1f} M  ratio {codec / loop:.2f}")
short, loopShort = ns("BM_ReadShortReplies"), ns("BM_HandLoopShortReplies")
print(f"short reply:         {short:6.1f} ns,          hand loop {loopShort:6.1f} ns  ratio {loopShort / short:.2f}")
PY

echo "== firmware run"
scripts/isolated.sh "$bin/velmar-bench-firmware" "$records" 5

echo "== connect"
scripts/isolated.sh "$bin/velmar-bench-connect"

echo "== show save and diff"
scripts/isolated.sh python3 bench/show/show_bench.py "$(dirname "$bin")" 7
