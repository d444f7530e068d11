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


def session_program(frame, lines):
    """Replies as the session fuzzer's program: one receive per line, the clock moving between."""
    program = bytearray([{"127.0.0.3": 0x04, "127.0.0.4": 0x08, "*127.0.0.5": 0x01}.get(frame, 0)])
    for line in lines:
        line = line[:255] + b"\r"
        program += bytes([0x00, len(line) - 1]) + line
        program += bytes([0x01, 25])
    return bytes(program[:60000])


def word(line):
    return line.split(b",", 1)[0]


def srec(n):
    data = bytes((n + i) & 0xFF for i in range(16))
    address = (n * 16) & 0xFFFF
    body = bytes([0x13, address >> 8, address & 0xFF]) + data
    return "S1" + body.hex().upper() + "%02X" % (~sum(body) & 0xFF) + "\r\n"


# What every tool command of velmar-cli makes a frame say: for each feature unit's reply words,
# and a programming run. The frame's read comes first, one reply of each word, so that the
# feature's replies fit in the session program and reach a frame the session knows.
FEATURES = [
    ("labels", ["labels", "127.0.0.2"]),
    ("label", ["label", "127.0.0.2", "in", "5", "Kick"]),
    ("gains", ["gains", "127.0.0.2"]),
    ("inputs", ["inputs", "127.0.0.2"]),
    ("inputs-lw16", ["inputs", "127.0.0.3"]),
    ("detectors", ["detectors", "127.0.0.2"]),
    ("detector", ["detector", "127.0.0.2", "in", "1-4", "--enable", "--t1", "100:-20"]),
    ("cards", ["cards", "127.0.0.2"]),
    ("card", ["card", "127.0.0.2", "2", "3:Phantom power=on"]),
    ("ppm-create", ["ppm", "127.0.0.2", "create", "7", "10.0.0.9", "10100", "8", "50"]),
    ("ppm-assign", ["ppm", "127.0.0.2", "assign", "7", "1"]),
    ("ppm-enable", ["ppm", "127.0.0.2", "enable", "7"]),
    ("ppm", ["ppm", "127.0.0.2"]),
    ("ppm-delete", ["ppm", "127.0.0.2", "delete", "7"]),
    ("flow-tx", ["flow", "127.0.0.2", "tx", "create", "3", "4", "10.0.0.9", "14530"]),
    ("flow-rx", ["flow", "127.0.0.2", "rx", "create", "4", "2", "14531", "1000"]),
    ("flows", ["flows", "127.0.0.2"]),
    ("unicast-clock", ["unicast-clock", "127.0.0.2", "on"]),
    ("autoroute-connect", ["autoroute", "127.0.0.2", "connect", "1", "studio-b", "2"]),
    ("autoroute", ["autoroute", "127.0.0.2"]),
    ("settings", ["settings", "save", "127.0.0.2", f"{OUT}/seed.cfg"]),
    ("flash", ["flash", "*127.0.0.5", f"{OUT}/seed.flash"]),
]


shutil.rmtree(OUT, ignore_errors=True)
status_replies = {}
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
        write("session", f"connect-{tag}", session_program(frame, received))
        status_replies[frame] = received
    with open(f"{OUT}/seed.flash", "w") as f:
        f.write("".join(srec(n) for n in range(8)))
    tables = []
    for name, args in FEATURES:
        frame = args[2] if args[0] == "settings" else args[1]
        _, received = traced_lines(*args)
        read_words = {word(line) for line in status_replies[frame]}
        first_of_each = list({word(line): line for line in reversed(status_replies[frame])}.values())[::-1]
        feature = [line for line in received if word(line) not in read_words]
        write("session", f"feature-{name}", session_program(frame, first_of_each + feature))
        if name.startswith(("ppm", "flow", "autoroute", "unicast")):
            tables += feature
    # The report tables: what the network-audio commands heard, and a frame that reports streams
    # without end.
    write("tables", "reported", b"".join(line + b"\r" for line in tables))
    write("tables", "ppm-flood", b"".join(b":gppminfo,0,%d,'10.0.0.9',10100,8,50,0,1\r" % n for n in range(1, 200)))
    # The files people hand us: as the commands write them, and as editors leave them.
    with open(f"{OUT}/seed.cfg", "rb") as f:
        cfg = f.read()
    write("settings", "saved", cfg)
    write("settings", "lf-only", cfg.replace(b"\r\n", b"\n"))
    write("settings", "utf8-name", cfg.replace(b"Name=", b"Name=St\xc3\xbcdio \xe2\x82\xac", 1))
    with open(f"{OUT}/seed.flash", "rb") as f:
        flash = f.read()
    write("firmware", "image", flash)
    write("firmware", "lf-blank-lines", flash.replace(b"\r\n", b"\n\n"))
    write("firmware", "bad-record", flash + b"X1\r\n")
    cli("label", "127.0.0.2", "out", "1100", "Stage box 3")
    cli("labels", "127.0.0.2", "--save", f"{OUT}/seed.csv")
    with open(f"{OUT}/seed.csv", "rb") as f:
        csv = f.read()
    write("labels", "saved", csv[:20000])
    write("labels", "spreadsheet", b"channel,direction,label\n513,in,\"Kick, \"\"A\"\"\"\n514,out,Sn\xc3\xa4re\n9999,in,x\nbad\n")
    for seed in ("seed.cfg", "seed.flash", "seed.csv"):
        os.remove(f"{OUT}/{seed}")
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
