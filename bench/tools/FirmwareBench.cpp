// Records per second programmed into the simulator through the console core, against two
// yardsticks in other processes, all driven by the same client code: a bare client sending the
// same record lines to the same simulator one at a time (what the frame's round trip costs), and
// the same bare client into an echo server process that reads each line with the codec and
// answers it (a round trip between two processes plus the least a frame does per line). Each of
// the two is also run waiting for readiness before every read (the client in poll(), the echo
// server in epoll_wait()), as an event loop serving more than one socket must: what that wait
// alone costs is the floor of the console's and the simulator's ratios. All of them alternate
// their order from run to run; the figures are medians, printed as ratios, beside the CPU time
// each side spent per record.
// Every process of the run shares one CPU: spread over two, a round trip's speed depends on where
// the scheduler put whom (the same binaries measured 0.4 to 4 times each other from run to run),
// on one it is the work both sides do.
//   scripts/isolated.sh build/bin/velmar-bench-firmware [records] [runs]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "bench/ProcessCpu.h"
#include "device/Session.h"
#include "device/posix/PosixDatagramSocket.h"
#include "device/posix/PosixEventLoop.h"
#include "device/posix/PosixTcpTransport.h"
#include "device/posix/PosixTimerService.h"
#include "features/firmware/core/FirmwareEvents.h"
#include "features/firmware/core/FirmwareUnit.h"
#include "tests/support/FlashImage.h"
#include "tests/support/SimProcess.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using namespace velmar;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// One timed stretch of records: its rate and the CPU time per record on either side.
struct Sample {
    double rate = 0;
    double clientMicros = 0;
    double serverMicros = 0;
};

class Meter {
  public:
    explicit Meter(pid_t server)
        : server_(std::to_string(server)),
          client0_(bench::ProcessCpuSeconds("self")),
          server0_(bench::ProcessCpuSeconds(server_)) {}
    Sample Stop(std::size_t records) const {
        const double seconds = Seconds(start_);
        const double n = static_cast<double>(records);
        return {n / seconds, (bench::ProcessCpuSeconds("self") - client0_) / n * 1e6,
                (bench::ProcessCpuSeconds(server_) - server0_) / n * 1e6};
    }

  private:
    std::string server_;
    double client0_;
    double server0_;
    Clock::time_point start_ = Clock::now();
};

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
Sample CoreRun(const std::vector<std::string>& records, pid_t sim) {
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
    const Meter meter(sim);
    if (session.Feature<FirmwareUnit>().StartRun(records))
        return {};
    loop.RunUntil([&] { return ended.has_value(); }, 600s);
    const Sample sample = meter.Stop(records.size());
    session.Disconnect();
    return ended && ended->outcome == FirmwareOutcome::Programmed ? sample : Sample{};
}

// A bare client: blocking calls, the lines built before the clock starts, one write and one read
// per record (a reply arrives whole on loopback; a short one is read on). The socket is set up as
// the console's transport sets up its own, so the two pay for the same TCP. Waiting in poll()
// before each read, as an event loop must, it shows what that wait alone costs.
class BareClient {
  public:
    BareClient(const char* address, std::uint16_t port, bool waitInPoll) : waitInPoll_(waitInPoll) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(port);
        ::inet_pton(AF_INET, address, &peer.sin_addr);
        if (fd_ >= 0 && ::connect(fd_, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~BareClient() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    BareClient(const BareClient&) = delete;
    BareClient& operator=(const BareClient&) = delete;

    // Sends one line and waits for one reply line; false when the peer failed or closed.
    bool Exchange(std::string_view line) {
        if (fd_ < 0 ||
            ::send(fd_, line.data(), line.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(line.size()))
            return false;
        for (;;) {
            pollfd readable{fd_, POLLIN, 0};
            if (waitInPoll_ && ::poll(&readable, 1, 5000) != 1)
                return false;
            const ssize_t got = ::recv(fd_, buffer_ + held_, sizeof buffer_ - held_, 0);
            if (got <= 0)
                return false;
            held_ += static_cast<std::size_t>(got);
            const void* end = std::memchr(buffer_, '\r', held_);
            if (end != nullptr) {
                const std::size_t used =
                    static_cast<std::size_t>(static_cast<const char*>(end) - buffer_) + 1;
                std::memmove(buffer_, buffer_ + used, held_ - used);
                held_ -= used;
                return true;
            }
            if (held_ == sizeof buffer_)
                return false;
        }
    }

  private:
    int fd_ = -1;
    bool waitInPoll_ = false;
    char buffer_[4096];
    std::size_t held_ = 0;
};

Sample BareClientRun(const std::vector<std::string>& records, const char* address, std::uint16_t port,
                     pid_t server, bool waitInPoll = false) {
    std::vector<std::string> lines;
    lines.reserve(records.size());
    for (const std::string& record : records)
        lines.push_back("&sprog,1#" + record + "\r");
    BareClient client(address, port, waitInPoll);
    if (!client.Exchange("&sprog,0\r"))
        return {};
    const Meter meter(server);
    for (const std::string& line : lines) {
        if (!client.Exchange(line))
            return {};
    }
    const Sample sample = meter.Stop(records.size());
    client.Exchange("&sprog,2\r");
    return sample;
}

// The echo server: its own process, blocking calls, one client at a time. Waiting in epoll_wait()
// before each read, as the simulator's event loop must, it shows what that wait alone costs.
struct EchoServer {
    pid_t pid = -1;
    std::uint16_t port = 0;
};

EchoServer StartEchoServer(bool waitInEpoll) {
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
            // Parses each line as a frame must and answers it from the record it read: the least
            // work a frame does per record, without the frame.
            const int epoll = waitInEpoll ? ::epoll_create1(EPOLL_CLOEXEC) : -1;
            epoll_event interest{};
            interest.events = EPOLLIN;
            if (epoll >= 0)
                ::epoll_ctl(epoll, EPOLL_CTL_ADD, peer, &interest);
            const auto wait = [epoll] {
                epoll_event ready{};
                return epoll < 0 || ::epoll_wait(epoll, &ready, 1, 5000) == 1;
            };
            MessageCodec codec;
            CommandMessage request;
            char input[16384];
            char reply[kLinkWriteBufferSize];
            std::size_t held = 0;
            for (ssize_t got; wait() && (got = ::recv(peer, input + held, sizeof input - held, 0)) > 0;) {
                held += static_cast<std::size_t>(got);
                std::size_t at = 0;
                std::size_t out = 0;
                for (ReadResult read;
                     (read = codec.Read({input + at, held - at}, request, Side::Request)).lineRead;) {
                    at += read.consumed;
                    request.flags = MessageFlags::kReply;
                    request.status = 0;
                    out += codec.Write(request, {reply + out, sizeof reply - out}, Side::Reply);
                    if (sizeof reply - out < sizeof reply / 2) {
                        ::send(peer, reply, out, MSG_NOSIGNAL);
                        out = 0;
                    }
                }
                if (out > 0)
                    ::send(peer, reply, out, MSG_NOSIGNAL);
                std::memmove(input, input + at, held - at);
                held -= at;
                if (held == sizeof input)
                    held = 0;
            }
            ::close(peer);
            if (epoll >= 0)
                ::close(epoll);
        }
    }
    ::close(listener);
    return {pid, ntohs(local.sin_port)};
}

// The highest CPU this process may use; the whole run stays on it.
void PinToOneCpu() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (::sched_getaffinity(0, sizeof allowed, &allowed) != 0)
        return;
    for (std::size_t cpu = CPU_SETSIZE; cpu-- > 0;) {
        if (CPU_ISSET(cpu, &allowed)) {
            cpu_set_t one;
            CPU_ZERO(&one);
            CPU_SET(cpu, &one);
            ::sched_setaffinity(0, sizeof one, &one);
            return;
        }
    }
}

double Median(const std::vector<Sample>& samples, double Sample::*field) {
    std::vector<double> values;
    for (const Sample& sample : samples)
        values.push_back(sample.*field);
    return Median(values);
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10000;
    const int runs = std::max(5, argc > 2 ? std::atoi(argv[2]) : 5);
    setenv("VELMAR_INTERFACES", "lo", 1);
    // Before the children: they inherit the CPU.
    PinToOneCpu();
    // Forked before the simulator's child and any thread exist.
    const EchoServer echoServer = StartEchoServer(false);
    const EchoServer echoServerInEpoll = StartEchoServer(true);
    test::SimProcess sim;
    sim.ExportPorts();
    const std::vector<std::string> records = Records(count);
    const std::size_t lineSize = std::string("&sprog,1#").size() + records.front().size() + 1;
    std::vector<Sample> core;
    std::vector<Sample> bare;
    std::vector<Sample> echo;
    std::vector<Sample> bareInPoll;
    std::vector<Sample> echoInEpoll;
    constexpr int kKinds = 5;
    for (int run = 0; run < runs; ++run) {
        // Each kind goes first, second and so on in turn.
        for (int step = 0; step < kKinds; ++step) {
            switch ((run + step) % kKinds) {
                case 0:
                    core.push_back(CoreRun(records, sim.Pid()));
                    break;
                case 1:
                    bare.push_back(BareClientRun(records, "127.0.0.2", sim.GetPorts().tcp, sim.Pid()));
                    break;
                case 2:
                    bareInPoll.push_back(
                        BareClientRun(records, "127.0.0.2", sim.GetPorts().tcp, sim.Pid(), true));
                    break;
                case 3:
                    echoInEpoll.push_back(
                        BareClientRun(records, "127.0.0.1", echoServerInEpoll.port, echoServerInEpoll.pid));
                    break;
                default:
                    echo.push_back(BareClientRun(records, "127.0.0.1", echoServer.port, echoServer.pid));
                    break;
            }
        }
    }
    for (const EchoServer& server : {echoServer, echoServerInEpoll}) {
        ::kill(server.pid, SIGTERM);
        ::waitpid(server.pid, nullptr, 0);
    }
    const double coreRate = Median(core, &Sample::rate);
    const double bareRate = Median(bare, &Sample::rate);
    const double echoRate = Median(echo, &Sample::rate);
    std::printf("records: %zu of %zu-byte lines, %d runs in alternating order on one CPU (medians)\n", count,
                lineSize, runs);
    std::printf("                                       records/s  client CPU  server CPU (us/record)\n");
    const auto row = [](const char* name, const std::vector<Sample>& samples) {
        std::printf("%-38s %9.0f  %10.2f  %10.2f\n", name, Median(samples, &Sample::rate),
                    Median(samples, &Sample::clientMicros), Median(samples, &Sample::serverMicros));
    };
    row("console core into velmar-sim", core);
    row("bare client into velmar-sim", bare);
    row("bare client into echo server process", echo);
    row("bare client waiting in poll, into sim", bareInPoll);
    row("bare client into echo server in epoll", echoInEpoll);
    std::printf("ratio core/bare client (same sim):     %.3f\n", coreRate / bareRate);
    std::printf("ratio simulator/echo server:           %.3f\n", bareRate / echoRate);
    std::printf("ratio core/echo server (ping-pong):    %.3f\n", coreRate / echoRate);
    // What an event loop's wait before each read costs by itself, on either side.
    std::printf("ratio bare client in poll/bare client: %.3f\n",
                Median(bareInPoll, &Sample::rate) / bareRate);
    std::printf("ratio echo in epoll/echo server:       %.3f\n",
                Median(echoInEpoll, &Sample::rate) / echoRate);
    std::printf("%s\n", sim.Do("info 127.0.0.2").c_str());
    return coreRate > 0 ? 0 : 1;
}
