#!/usr/bin/env python3
"""How long `velmar-cli routes` and `status` take against the simulator, measured against
`velmar-cli --version` (process start and exit alone) in separate processes, alternated so that
load on the machine falls on all three alike. Prints medians and what each command adds.

usage: scripts/isolated.sh bench/cli/cli_latency.py [BUILD_DIR] [ROUNDS]
Talks only to loopback: the simulated frame lives on 127.0.0.2.
"""

import os
import statistics
import subprocess
import sys
import time

build = sys.argv[1] if len(sys.argv) > 1 else "build"
rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 30
cli = os.path.join(build, "bin", "velmar-cli")
sim_program = os.path.join(build, "bin", "velmar-sim")

env = dict(os.environ, VELMAR_INTERFACES="lo", VELMAR_ECHO_PORT="41002", VELMAR_DISCOVERY_PORT="41004",
           VELMAR_TCP_PORT="41003", VELMAR_TELNET_PORT="41023")
sim = subprocess.Popen([sim_program, "--frame", "model=K5A name=Bench cards=ad,da,aes dante=BENCH"],
                       env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
try:
    for line in sim.stdout:
        if line.strip() == "ready":
            break
    commands = {
        "--version": [cli, "--version"],
        "routes": [cli, "routes", "127.0.0.2"],
        "status": [cli, "status", "127.0.0.2"],
    }
    times = {name: [] for name in commands}
    for _ in range(rounds):
        for name, args in commands.items():
            start = time.perf_counter()
            result = subprocess.run(args, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            times[name].append(time.perf_counter() - start)
            if result.returncode != 0:
                sys.exit(f"{' '.join(args)} exited {result.returncode}")
    base = statistics.median(times["--version"])
    print(f"{rounds} rounds, medians:")
    for name, samples in times.items():
        median = statistics.median(samples)
        print(f"  {name:10} {median * 1000:7.1f} ms  {median / base:5.1f}x --version"
              f"  (+{(median - base) * 1000:.1f} ms)")
finally:
    sim.stdin.close()
    sim.terminate()
    sim.wait()
