// Records per second programmed into the simulator through the console core, against two plain
// TCP ping-pongs measured in the same run: the same record lines sent one at a time to the
// simulator by a bare client (what the frame's round trip costs), and lines of the same sizes
// bounced by an echo thread (what loopback alone costs). Medians of several runs.
//   scripts/isolated.sh build/bin/velmar-bench-firmware [records] [runs]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "device/Session.h"
#include "device/posix/PosixDatagramSocket.h"
#include "device/posix/PosixEventLoop.h"
#include "device/posix/PosixTcpTransport.h"
#include "device/posix/PosixTimerService.h"
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
    if (session.Firmware().StartRun(records))
        return 0;
    loop.RunUntil([&] { return ended.has_value(); }, 600s);
    const double seconds = Seconds(start);
    session.Disconnect();
    return ended && ended->outcome == FirmwareOutcome::Programmed
               ? static_cast<double>(records.size()) / seconds
               : 0;
}

// A bare client sends the same record lines to the simulator, one at a time.
double SimPingPong(const std::vector<std::string>& records, std::uint16_t port) {
    test::LineClient client("127.0.0.2", port);
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

// Lines of the record's size out, lines of the answer's size back, through an echo thread.
double EchoPingPong(std::size_t count, std::size_t lineSize) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof local;
    ::bind(listener, reinterpret_cast<const sockaddr*>(&local), sizeof local);
    ::listen(listener, 1);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&local), &size);
    std::thread echo([listener] {
        const int peer = ::accept(listener, nullptr, nullptr);
        std::string pending;
        char buffer[4096];
        for (ssize_t got; (got = ::recv(peer, buffer, sizeof buffer, 0)) > 0;) {
            pending.append(buffer, static_cast<std::size_t>(got));
            for (std::size_t cr; (cr = pending.find('\r')) != std::string::npos;) {
                pending.erase(0, cr + 1);
                ::send(peer, kAck.data(), kAck.size(), MSG_NOSIGNAL);
            }
        }
        ::close(peer);
    });
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    ::connect(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local);
    const std::string line = std::string(lineSize - 1, 'S') + "\r";
    char buffer[64];
    const auto start = Clock::now();
    for (std::size_t i = 0; i < count; ++i) {
        ::send(fd, line.data(), line.size(), MSG_NOSIGNAL);
        for (std::size_t got = 0; got < kAck.size();)
            got += static_cast<std::size_t>(std::max<ssize_t>(0, ::recv(fd, buffer, sizeof buffer, 0)));
    }
    const double seconds = Seconds(start);
    ::close(fd);
    echo.join();
    ::close(listener);
    return static_cast<double>(count) / seconds;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    setenv("VELMAR_INTERFACES", "lo", 1);
    test::SimProcess sim;
    sim.ExportPorts();
    const std::vector<std::string> records = Records(count);
    const std::size_t lineSize = std::string("&sprog,1#").size() + records.front().size() + 1;
    std::vector<double> core;
    std::vector<double> bare;
    std::vector<double> echo;
    for (int run = 0; run < runs; ++run) {
        core.push_back(CoreRate(records));
        bare.push_back(SimPingPong(records, sim.GetPorts().tcp));
        echo.push_back(EchoPingPong(count, lineSize));
    }
    const double coreRate = Median(core);
    const double bareRate = Median(bare);
    const double echoRate = Median(echo);
    std::printf("records: %zu of %zu-byte lines, %d runs (medians)\n", count, lineSize, runs);
    std::printf("console core into velmar-sim:      %9.0f records/s\n", coreRate);
    std::printf("bare client into velmar-sim:       %9.0f records/s  (core/bare %.1f %%)\n", bareRate,
                100.0 * coreRate / bareRate);
    std::printf("plain TCP ping-pong (echo thread): %9.0f round trips/s  (core/echo %.1f %%)\n", echoRate,
                100.0 * coreRate / echoRate);
    std::printf("%s\n", sim.Do("info 127.0.0.2").c_str());
    return coreRate > 0 ? 0 : 1;
}
