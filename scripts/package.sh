#!/usr/bin/env bash
# Builds the Debian package of the console, velmar-cli and velmar-sim in build-package/ and says
# where it is. Install it with: sudo apt install ./build-package/velmar_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMAR_BUILD_BENCH=OFF
cmake --build build-package --parallel "$(nproc)"
(cd build-package && cpack)
ls -l build-package/velmar_*.deb
