#!/usr/bin/env bash
# Starts the simulated rack on loopback and the console pointed at it. Without a display (or
# before the console is built) it shows the rack through velmar-cli instead.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)"

export VELMAR_INTERFACES=lo
# Port 23 needs root; elsewhere the rack and the console agree on another port for recovery mode.
[ "$(id -u)" -eq 0 ] || export VELMAR_TELNET_PORT=${VELMAR_TELNET_PORT:-10023}

control_port=${VELMAR_DEMO_CONTROL_PORT:-10099}
sim_out=$(mktemp)
build/bin/velmar-sim --no-stdin --control-port "$control_port" > "$sim_out" &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null; rm -f "$sim_out"' EXIT
for _ in $(seq 50); do grep -qx ready "$sim_out" && break; sleep 0.1; done
grep -qx ready "$sim_out" || { cat "$sim_out"; echo "demo: the simulator did not start" >&2; exit 1; }
grep -vx ready "$sim_out"
cat <<EOF
demo: the rack takes control commands on 127.0.0.1:$control_port (sim/README.md lists them all).
  To see how the console behaves when a frame goes silent, from another terminal:
    rack() { exec 3<>/dev/tcp/127.0.0.1/$control_port; echo "\$*" >&3; head -n 1 <&3; exec 3<&-; }
    rack fault 127.0.0.2 silent           # Studio A answers nothing: the console drops it within 10 s
    rack fault 127.0.0.2 clear            # it answers again: double-click it to reconnect
    rack state 127.0.0.2 gpsustatus 2 1   # its power supply 2 fails
    rack fault 127.0.0.3 close            # the wall box closes its connections
EOF

if [ -n "${DISPLAY:-}" ] && [ -x build/bin/velmar ]; then
  build/bin/velmar
else
  echo "demo: no display (or no console built yet); the rack as velmar-cli sees it:"
  build/bin/velmar-cli discover || true
  build/bin/velmar-cli status 127.0.0.2
fi
