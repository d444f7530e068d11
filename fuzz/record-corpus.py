#!/usr/bin/env python3
"""Records the fuzzers' seed corpora from the simulator: the lines a console and a frame trade
(velmar-cli --trace against velmar-sim), the discovery answers of the default rack, and routing
snapshots as velmar-cli saves them and as other tools write them. Run it inside
scripts/isolated.sh from the top of the tree after building build/: it rewrites fuzz/corpus/."""
import os, shutil, socket, subprocess, sys, time

BIN = "build/bin"
OUT = "fuzz/corpus"
PORTS = {"VELMAR_ECHO_PORT": "21002", "VELMAR_TCP_PORT": "21003", "VELMAR_TELNET_PORT": "21023",
         "VELMAR_DISCOVERY_PORT": "21004", "VELMAR_INTERFACES": "lo"}
env = dict(os.environ, **PORTS)


def write(target, name, data):
    os.makedirs(f"{OUT}/{target}", exist_ok=True)
    with open(f"{OUT}/{target}/{name}", "wb") as f:
        f.write(data)


def cli(*args):
    return subprocess.run([f"{BIN}/velmar-cli", *args], env=env, capture_output=True, timeout=30)


def traced_lines(*args):
    """The lines sent (>) and received (<) during one velmar-cli run, as bytes without the CR."""
    sent, received = [], []
    for line in cli("--trace", *args).stderr.decode("latin-1").splitlines():
        body = line.split("] ", 1)[-1]
        if body.startswith("> "):
            sent.append(body[2:].encode("latin-1"))
        elif body.startswith("< "):
            received.append(body[2:].encode("latin-1"))
    return sent, received


def chunks(lines, size):
    for i in range(0, len(lines), size):
        yield b"".join(line + b"\r" for line in lines[i:i + size])


shutil.rmtree(OUT, ignore_errors=True)
sim = subprocess.Popen([f"{BIN}/velmar-sim", "--no-stdin"], env=env, stdout=subprocess.PIPE)
try:
    while sim.stdout.readline().strip() != b"ready":
        pass
    # The codec: requests as a frame reads them, replies as the console reads them.
    for frame in ["127.0.0.2", "127.0.0.3", "127.0.0.4", "*127.0.0.5"]:
        tag = frame.strip("*").rsplit(".", 1)[1]
        sent, received = traced_lines("status", frame)
        for n, data in enumerate(chunks(sent, 16)):
            write("codec", f"requests-{tag}-{n:02}", data)
        for n, data in enumerate(chunks(received, 16)):
            write("codec", f"replies-{tag}-{n:02}", data)
        # The session: the same replies as a program of receives with the clock moving between.
        program = bytearray([{"127.0.0.3": 0x04, "127.0.0.4": 0x08, "*127.0.0.5": 0x01}.get(frame, 0)])
        for line in received:
            line = line[:255] + b"\r"
            program += bytes([0x00, len(line) - 1]) + line
            program += bytes([0x01, 25])
        write("session", f"connect-{tag}", bytes(program[:60000]))
    cli("route", "127.0.0.2", "1100", "600")
    cli("route", "127.0.0.2", "5", "1536")
    path = f"{OUT}/routes.xpt"
    cli("routes", "127.0.0.2", "--save", path)
    with open(path, "rb") as f:
        saved = f.read()
    os.remove(path)
    write("snapshot", "saved", saved)
    write("snapshot", "cr-only", saved.replace(b"\r\n", b"\r"))
    write("snapshot", "lf-only-bom", b"\xef\xbb\xbf" + saved.replace(b"\r\n", b"\n"))
    write("snapshot", "utf16", b"\xff\xfe" + saved.decode().encode("utf-16-le"))
    write("snapshot", "junk", b"1=40,3\n2=41,4\r\n3=40,6\njunk\n4=2000,1\n5=  +7, -0\n12=0100,0513")
    # Discovery: the answers of the default rack, one datagram a line.
    udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    udp.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
    udp.bind(("127.0.0.1", int(PORTS["VELMAR_DISCOVERY_PORT"])))
    udp.settimeout(0.5)
    udp.sendto(b"?edev\r", ("127.255.255.255", int(PORTS["VELMAR_ECHO_PORT"])))
    answers = []
    try:
        while True:
            answers.append(udp.recvfrom(512)[0])
    except socket.timeout:
        pass
    write("discovery", "rack", b"\n".join(sorted(answers)))
    for n, answer in enumerate(sorted(answers)):
        write("discovery", f"answer-{n}", answer)
    write("discovery", "going-away", b"\n".join(b"!" + a[1:] for a in sorted(answers)))
finally:
    sim.terminate()
    sim.wait()
print(f"{sum(len(files) for _, _, files in os.walk(OUT))} seeds in {OUT}", file=sys.stderr)
