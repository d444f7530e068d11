// Records per second programmed into the simulator through the console core, against two
// yardsticks in other processes, all driven by the same client code: a bare client sending the
// same record lines to the same simulator one at a time (what the frame's round trip costs), and
// the same bare client into an echo server process that only finds each line's end and answers
// it (what a loopback round trip between two processes costs). The three alternate their order
// from run to run; the figures are medians, printed as ratios.
//   scripts/isolated.sh build/bin/velmar-bench-firmware [records] [runs]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "device/Session.h"
#include "device/posix/PosixDatagramSocket.h"
#include "device/posix/PosixEventLoop.h"
#include "device/posix/PosixTcpTransport.h"
#include "device/posix/PosixTimerService.h"
#include "features/firmware/core/FirmwareEvents.h"
#include "features/firmware/core/FirmwareUnit.h"
#include "tests/support/FlashImage.h"
#include "tests/support/LineClient.h"
#include "tests/support/SimProcess.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using namespace velmar;

constexpr std::string_view kAck = ":sprog,0,1\r";

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::vector<std::string> Records(std::size_t count) {
    const std::string text = test::FlashImageText(count);
    std::vector<std::string> records;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        records.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return records;
}

// The console core: a session on the POSIX adapters programs the image.
double CoreRate(const std::vector<std::string>& records) {
    PosixEventLoop loop;
    PosixTimerService timers(loop);
    PosixTcpTransport tcp(loop);
    PosixDatagramSocket datagrams(loop);
    Session session(tcp, datagrams, timers, LinkPorts::FromEnvironment(), ConsoleOptions{});
    session.Connect("127.0.0.2", DeviceMode::Application, ModelClass::Full);
    loop.RunUntil([&] { return session.Connection().connected && session.Connection().receiveReady; }, 5s);
    loop.RunUntil([] { return false; }, 300ms);  // let the start sequence's answers pass
    std::optional<FirmwareRunEnded> ended;
    Subscription done =
        session.Events().Subscribe<FirmwareRunEnded>([&](const FirmwareRunEnded& e) { ended = e; });
    const auto start = Clock::now();
    if (session.Feature<FirmwareUnit>().StartRun(records))
        return 0;
    loop.RunUntil([&] { return ended.has_value(); }, 600s);
    const double seconds = Seconds(start);
    session.Disconnect();
    return ended && ended->outcome == FirmwareOutcome::Programmed
               ? static_cast<double>(records.size()) / seconds
               : 0;
}

// A bare client sends the same record lines to a server, one at a time.
double BareClientRate(const std::vector<std::string>& records, const char* address, std::uint16_t port) {
    test::LineClient client(address, port);
    client.Send("&sprog,0\r");
    if (!client.NextLine(5s))
        return 0;
    const auto start = Clock::now();
    for (const std::string& record : records) {
        client.Send("&sprog,1#" + record + "\r");
        if (!client.NextLine(5s))
            return 0;
    }
    const double seconds = Seconds(start);
    client.Send("&sprog,2\r");
    client.NextLine(5s);
    return static_cast<double>(records.size()) / seconds;
}

// The echo server: its own process, blocking calls, one client at a time; it finds each line's
// end and answers with the acknowledgement's bytes.
struct EchoServer {
    pid_t pid = -1;
    std::uint16_t port = 0;
};

EchoServer StartEchoServer() {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof local;
    ::bind(listener, reinterpret_cast<const sockaddr*>(&local), sizeof local);
    ::listen(listener, 4);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&local), &size);
    const pid_t pid = ::fork();
    if (pid == 0) {
        for (;;) {
            const int peer = ::accept(listener, nullptr, nullptr);
            if (peer < 0)
                _exit(0);
            const int on = 1;
            ::setsockopt(peer, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            char buffer[16384];
            for (ssize_t got; (got = ::recv(peer, buffer, sizeof buffer, 0)) > 0;) {
                std::size_t lines = 0;
                for (ssize_t i = 0; i < got; ++i)
                    lines += buffer[i] == '\r';
                for (std::size_t i = 0; i < lines; ++i)
                    ::send(peer, kAck.data(), kAck.size(), MSG_NOSIGNAL);
            }
            ::close(peer);
        }
    }
    ::close(listener);
    return {pid, ntohs(local.sin_port)};
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10000;
    const int runs = std::max(5, argc > 2 ? std::atoi(argv[2]) : 5);
    setenv("VELMAR_INTERFACES", "lo", 1);
    // Forked before the simulator's child and any thread exist.
    const EchoServer echoServer = StartEchoServer();
    test::SimProcess sim;
    sim.ExportPorts();
    const std::vector<std::string> records = Records(count);
    const std::size_t lineSize = std::string("&sprog,1#").size() + records.front().size() + 1;
    std::vector<double> core;
    std::vector<double> bare;
    std::vector<double> echo;
    for (int run = 0; run < runs; ++run) {
        // Each of the three goes first, second and last in turn.
        for (int step = 0; step < 3; ++step) {
            switch ((run + step) % 3) {
                case 0:
                    core.push_back(CoreRate(records));
                    break;
                case 1:
                    bare.push_back(BareClientRate(records, "127.0.0.2", sim.GetPorts().tcp));
                    break;
                default:
                    echo.push_back(BareClientRate(records, "127.0.0.1", echoServer.port));
                    break;
            }
        }
    }
    ::kill(echoServer.pid, SIGTERM);
    ::waitpid(echoServer.pid, nullptr, 0);
    const double coreRate = Median(core);
    const double bareRate = Median(bare);
    const double echoRate = Median(echo);
    std::printf("records: %zu of %zu-byte lines, %d runs in alternating order (medians)\n", count, lineSize,
                runs);
    std::printf("console core into velmar-sim:        %9.0f records/s\n", coreRate);
    std::printf("bare client into velmar-sim:         %9.0f records/s\n", bareRate);
    std::printf("bare client into echo server process: %8.0f records/s\n", echoRate);
    std::printf("ratio core/bare client (same sim):     %.3f\n", coreRate / bareRate);
    std::printf("ratio simulator/echo server:           %.3f\n", bareRate / echoRate);
    std::printf("ratio core/echo server (ping-pong):    %.3f\n", coreRate / echoRate);
    std::printf("%s\n", sim.Do("info 127.0.0.2").c_str());
    return coreRate > 0 ? 0 : 1;
}
