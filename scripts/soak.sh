#!/usr/bin/env bash
# Runs the console window offscreen, connected to the simulated K5A under a notification storm and
# a connect/disconnect cycle, and prints its resident memory every minute. A flat line is the goal.
#   scripts/soak.sh [MINUTES]     (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)" --target velmar-soak
QT_QPA_PLATFORM=offscreen VELMAR_INTERFACES=lo scripts/isolated.sh build/bin/velmar-soak "${1:-60}"
