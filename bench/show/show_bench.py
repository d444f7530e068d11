#!/usr/bin/env python3
"""How much of `velmar-cli show save` and `show diff` on a rack of 4 frames (1536 routes and 3072
labels each) is the console's own time, beyond the frames' answers.

Two yardsticks, alternated with the commands round by round so that load on the machine falls on
all alike: the velmar-cli process's own CPU time (user + system, from wait4), and a bare client
that sends the very request lines velmar-cli sent (taken from its --trace) to the same simulator,
frame by frame, and reads until every request has its answer; for `show diff` it first makes the
same discovery query and waits the same quiet time. Prints medians and ratios.

usage: scripts/isolated.sh bench/show/show_bench.py [BUILD_DIR] [ROUNDS]
Talks only to loopback: the simulated frames live on 127.0.0.2 to 127.0.0.5.
"""

import collections
import os
import re
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time

build = sys.argv[1] if len(sys.argv) > 1 else "build"
rounds = max(5, int(sys.argv[2]) if len(sys.argv) > 2 else 7)
cli = os.path.join(build, "bin", "velmar-cli")
sim_program = os.path.join(build, "bin", "velmar-sim")

PORTS = {"VELMAR_ECHO_PORT": 42002, "VELMAR_DISCOVERY_PORT": 42004, "VELMAR_TCP_PORT": 42003,
         "VELMAR_TELNET_PORT": 42023}
env = dict(os.environ, VELMAR_INTERFACES="lo", **{k: str(v) for k, v in PORTS.items()})
FRAMES = [f"127.0.0.{n}" for n in range(2, 6)]
CHANNELS = 1536
DISCOVERY_QUIET = 0.3  # what velmar-cli waits after the last discovery answer


class Client:
    """One TCP connection to a frame; a thread counts the answers (":word,...") by word."""

    def __init__(self, address):
        self.sock = socket.create_connection((address, PORTS["VELMAR_TCP_PORT"]))
        self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.answers = collections.Counter()
        self.cond = threading.Condition()
        self.reader = threading.Thread(target=self.read, daemon=True)
        self.reader.start()

    def read(self):
        rest = b""
        while True:
            data = self.sock.recv(1 << 16)
            if not data:
                return
            lines = (rest + data).split(b"\r")
            rest = lines.pop()
            words = [line[1:].split(b",", 1)[0] for line in lines if line.startswith(b":")]
            with self.cond:
                self.answers.update(words)
                self.cond.notify_all()

    def run(self, requests):
        """Sends every request line and waits until each has an answer of its word."""
        wanted = collections.Counter(re.split(rb"[,\r]", line[1:], maxsplit=1)[0] for line in requests)
        self.sock.sendall(b"".join(requests))
        deadline = time.monotonic() + 30
        with self.cond:
            while any(self.answers[word] < count for word, count in wanted.items()):
                if not self.cond.wait(deadline - time.monotonic()):
                    sys.exit("the bare client got no answer to everything it asked")
            self.answers.clear()

    def close(self):
        self.sock.shutdown(socket.SHUT_RDWR)
        self.reader.join()
        self.sock.close()


def fill_rack():
    """Every output routed and every label set, on each frame."""
    for address in FRAMES:
        client = Client(address)
        requests = [f"&scross,{o},{o % CHANNELS + 1},0,0\r".encode() for o in range(1, CHANNELS + 1)]
        requests += [f"&slabel,{d},{c},'{'IO'[d]}{c:04d} {address[-1]}'\r".encode()
                     for d in (0, 1) for c in range(1, CHANNELS + 1)]
        client.run(requests)
        client.close()


def traced_requests(trace):
    """The request lines of each connection of a --trace, in the order sent."""
    connections = []
    for line in trace.splitlines():
        if " connect " in line:
            connections.append((line.split()[-1].split(":")[0], []))
        elif "] > " in line and connections:
            sent = line.split("] > ", 1)[1]
            if sent[:1] in ("?", "&"):  # not the answers to the frame's keep-alive
                connections[-1][1].append(sent.encode() + b"\r")
    return connections


def discover():
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
    sock.bind(("0.0.0.0", PORTS["VELMAR_DISCOVERY_PORT"]))
    sock.sendto(b"?edev\r", ("127.255.255.255", PORTS["VELMAR_ECHO_PORT"]))
    sock.settimeout(DISCOVERY_QUIET)
    try:
        while True:
            sock.recvfrom(2048)
    except socket.timeout:
        pass
    sock.close()


def bare(connections, discovery):
    start = time.perf_counter()
    if discovery:
        discover()
    for address, requests in connections:
        client = Client(address)
        client.run(requests)
        client.close()
    return time.perf_counter() - start


def velmar(args):
    """Wall time and the process's own CPU time."""
    start = time.perf_counter()
    child = subprocess.Popen([cli] + args, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        sys.exit(f"velmar-cli {' '.join(args)} exited {child.returncode}")
    return wall, usage.ru_utime + usage.ru_stime


rack = []
for n, address in enumerate(FRAMES, 1):
    rack += ["--frame", f"address={address} model=K5A name='Bench {n}' id={n} serial=K5A90000{n} "
             f"version=2.1.0.3 cards=sdi,ad,da,aes,madi,ad,-,- sfp=yes dante=BENCH-{n}"]
sim = subprocess.Popen([sim_program] + rack, env=env, stdin=subprocess.PIPE,
                       stdout=subprocess.PIPE, text=True)
folder = tempfile.mkdtemp(prefix="velmar-show-bench-")
show = os.path.join(folder, "rack.toml")
try:
    for line in sim.stdout:
        if line.strip() == "ready":
            break
    fill_rack()
    commands = {"save": ["show", "save", show] + FRAMES, "diff": ["show", "diff", show]}
    traces = {}
    for name, args in commands.items():
        traced = subprocess.run([cli, "--trace"] + args, env=env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE, text=True)
        if traced.returncode != 0:
            sys.exit(f"velmar-cli {' '.join(args)} exited {traced.returncode}")
        traces[name] = traced_requests(traced.stderr)
    sizes = os.path.getsize(show)
    words = {name: sum(len(r) for _, r in t) for name, t in traces.items()}
    samples = {name: {"wall": [], "cpu": [], "bare": []} for name in commands}
    for _ in range(rounds):
        for name, args in commands.items():
            wall, cpu = velmar(args)
            samples[name]["wall"].append(wall)
            samples[name]["cpu"].append(cpu)
            samples[name]["bare"].append(bare(traces[name], name == "diff"))
    print(f"4 frames, {CHANNELS} routes and {2 * CHANNELS} labels each; show file {sizes} bytes; "
          f"{rounds} rounds alternated, medians:")
    for name in commands:
        wall = statistics.median(samples[name]["wall"])
        cpu = statistics.median(samples[name]["cpu"])
        base = statistics.median(samples[name]["bare"])
        print(f"  show {name}: {words[name]} requests; velmar-cli {wall * 1000:7.1f} ms wall, "
              f"{cpu * 1000:6.1f} ms own CPU; bare client {base * 1000:7.1f} ms")
        print(f"    wall / bare {wall / base:5.2f}   beyond the answers {(wall - base) * 1000:+7.1f} ms   "
              f"own CPU / bare {cpu / base:5.2f}   own CPU / 50 ms {cpu / 0.05:5.2f}")
finally:
    sim.stdin.close()
    sim.terminate()
    sim.wait()
    for entry in os.listdir(folder):
        os.remove(os.path.join(folder, entry))
    os.rmdir(folder)
