// Time from Connect to a fully read frame (all lcross runs and card replies in) against
// velmar-sim's 1536-channel K5A with its cards, on loopback. Two of the console's own timers gate
// the sequence: the state poll 100 ms after the position-2 software version and the card requests
// 200 ms after the PSU 2 reply; the figure that matters is the time spent beyond them.
//
// The yardstick is a bare client in this process doing the same exchange with the same simulator:
// the echo probe, the TCP connect, then the very bursts of request lines the console sent (recorded
// on a warm-up run), each sent once as many reply lines are in as the console had when it sent it,
// with blocking calls. A burst that one of the console's timers sent waits as long after the line
// that started that timer: after 100 ms asleep, both sides' caches are as cold as the other's, and
// the machine's other work has had its turn on both. Its time is taken over the same stretches as
// the console's: up to the reply that started the console's last timer, and from that timer's
// expiry to the last reply. The two alternate their order from run to run; the figures are medians.
//
// Run it inside a private network namespace:
//   scripts/isolated.sh build/bin/velmar-bench-connect [runs]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "bench/ProcessCpu.h"
#include "cli/HeadlessConsole.h"
#include "device/Session.h"
#include "device/posix/PosixDatagramSocket.h"
#include "device/posix/PosixEventLoop.h"
#include "device/posix/PosixTcpTransport.h"
#include "device/posix/PosixTimerService.h"
#include "tests/support/SimProcess.h"

namespace velmar {
namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

// The exchange as the console made it: what left in each send and how many reply lines were in
// by then, and where the last timer started and what it sent.
struct Script {
    // A timer that sent a burst: the reply lines in when it started, and its interval.
    struct Timer {
        std::size_t linesIn = 0;
        std::chrono::milliseconds wait{0};
    };
    struct Burst {
        std::string bytes;
        std::size_t linesIn = 0;
        std::optional<Timer> timer;
    };
    std::vector<Burst> bursts;
    std::size_t lines = 0;         // every reply line of the exchange
    std::size_t timerLinesIn = 0;  // lines in when the last timer started
    std::size_t timerBurst = 0;    // the first burst sent once it fired
};

// Forwards to the real transport and writes the Script down: the sends of one turn of the loop are
// one burst, as the transport sends them.
class RecordingTransport final : public LineTransport {
  public:
    RecordingTransport(PosixEventLoop& loop, LineTransport& inner) : loop_(loop), inner_(inner) {
        // Registered after the transport's own, so it runs after that has sent the turn's bytes.
        loop_.AtTurnEnd(this, [this] { EndBurst(); });
    }
    ~RecordingTransport() override { loop_.RemoveTurnEnd(this); }

    void SetListener(TransportListener* listener) override { inner_.SetListener(listener); }
    int Connect(std::uint32_t address, std::uint16_t port) override { return inner_.Connect(address, port); }
    void Send(std::span<const char> bytes) override {
        pending_.append(bytes.data(), bytes.size());
        inner_.Send(bytes);
    }
    // Runs a timer's callback; what it sends marks the turn's burst as that timer's.
    void Fire(const Script::Timer& timer, const std::function<void()>& expired) {
        const std::size_t before = pending_.size();
        expired();
        if (pending_.size() > before && !timer_)
            timer_ = timer;
    }
    ReceiveResult Receive(std::span<char> into) override {
        const ReceiveResult result = inner_.Receive(into);
        if (result.kind == ReceiveResult::Kind::Data)
            script.lines +=
                static_cast<std::size_t>(std::count(into.data(), into.data() + result.count, '\r'));
        return result;
    }
    void Close() override { inner_.Close(); }
    bool IsOpen() const override { return inner_.IsOpen(); }

    Script script;

  private:
    void EndBurst() {
        if (pending_.empty())
            return;
        script.bursts.push_back({std::move(pending_), script.lines, std::exchange(timer_, std::nullopt)});
        pending_.clear();
    }

    PosixEventLoop& loop_;
    LineTransport& inner_;
    std::string pending_;
    std::optional<Script::Timer> timer_;
};

// Notes when each timer was last started and when it fired, and where the exchange stood then.
class TimerLog final : public TimerService {
  public:
    TimerLog(TimerService& inner, RecordingTransport* recorder) : inner_(inner), recorder_(recorder) {}
    TimerHandle Start(std::string_view name, std::chrono::milliseconds interval, TimerMode mode,
                      std::function<void()> expired) override {
        const std::string key(name);
        started[key] = Clock::now();
        const Script::Timer timer{recorder_ != nullptr ? recorder_->script.lines : 0, interval};
        linesAtStart[key] = timer.linesIn;
        // The inner handle is kept alive by the callback's owner: this log forwards stops by id.
        handles_.push_back(
            inner_.Start(name, interval, mode, [this, key, timer, expired = std::move(expired)] {
                fired[key] = Clock::now();
                if (recorder_ == nullptr) {
                    expired();
                    return;
                }
                burstsAtFire[key] = recorder_->script.bursts.size();
                recorder_->Fire(timer, expired);
            }));
        return TimerHandle(*this, handles_.size());
    }

    std::chrono::system_clock::time_point WallTime() const override { return inner_.WallTime(); }

    std::map<std::string, Clock::time_point> started;
    std::map<std::string, Clock::time_point> fired;
    std::map<std::string, std::size_t> linesAtStart;
    std::map<std::string, std::size_t> burstsAtFire;

  private:
    void Cancel(std::uint64_t id) override { handles_[id - 1].Stop(); }
    bool IsRunning(std::uint64_t id) const override { return handles_[id - 1].Running(); }

    TimerService& inner_;
    RecordingTransport* recorder_;
    std::deque<TimerHandle> handles_;
};

struct Run {
    double beyond = 0;
    double before = 0;  // from Connect to the start of the last timer
    double after = 0;   // from that timer's expiry to the frame read
    double total = 0;
    std::size_t requests = 0;
    double clientCpu = 0;  // ms on a CPU over the whole exchange, timers' waits included
    double simCpu = 0;
};

double CpuMs(const std::string& pid) {
    return bench::ProcessCpuSeconds(pid) * 1e3;
}

// What this process and the simulator spend on a CPU from its making to Stop.
class CpuMeter {
  public:
    explicit CpuMeter(pid_t sim) : sim_(std::to_string(sim)), client0_(CpuMs("self")), sim0_(CpuMs(sim_)) {}
    void Stop(Run& run) const {
        run.clientCpu = CpuMs("self") - client0_;
        run.simCpu = CpuMs(sim_) - sim0_;
    }

  private:
    std::string sim_;
    double client0_;
    double sim0_;
};

// Before a run: the simulator takes the last run's connection down in its own time, not in this
// run's echo probe.
void LetTheSimulatorSettle() {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

// One connect of the console core; with `record`, the exchange is written into it.
Run ConsoleRun(Script* record, pid_t sim) {
    PosixEventLoop loop;
    PosixTimerService clock(loop);
    PosixTcpTransport tcp(loop);
    std::optional<RecordingTransport> recorder;
    if (record != nullptr)
        recorder.emplace(loop, tcp);
    TimerLog timers(clock, recorder ? &*recorder : nullptr);
    PosixDatagramSocket datagrams(loop);
    LineTransport& transport = recorder ? static_cast<LineTransport&>(*recorder) : tcp;
    Session session(transport, datagrams, timers, LinkPorts::FromEnvironment(), ConsoleOptions{});
    HeadlessConsole console(session);
    LetTheSimulatorSettle();
    const CpuMeter cpu(sim);
    const auto start = Clock::now();
    session.Connect("127.0.0.2", DeviceMode::Application, ModelClass::Full);
    if (!loop.RunUntil([&] { return console.FrameRead(); }, std::chrono::seconds(5))) {
        std::fprintf(stderr, "the frame was not read within 5 s\n");
        std::exit(1);
    }
    const auto end = Clock::now();
    Run run;
    cpu.Stop(run);
    // The wait of whichever timer fired last lies on the critical path.
    const std::string last =
        timers.fired["card requests"] > timers.fired["state poll"] ? "card requests" : "state poll";
    const double waited = Ms(timers.fired[last] - timers.started[last]).count();
    const double total = Ms(end - start).count();
    if (recorder) {
        *record = recorder->script;
        record->timerLinesIn = timers.linesAtStart[last];
        record->timerBurst = timers.burstsAtFire[last];
    }
    session.Disconnect();
    run.beyond = total - waited;
    run.before = Ms(timers.started[last] - start).count();
    run.after = Ms(end - timers.fired[last]).count();
    run.total = total;
    run.requests = session.Link().RequestsSent();
    return run;
}

// Blocking sockets, set up as the console's transport sets up its own.
class BareClient {
  public:
    BareClient() = default;
    ~BareClient() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    BareClient(const BareClient&) = delete;
    BareClient& operator=(const BareClient&) = delete;

    bool Probe(const sockaddr_in& echo) {
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        constexpr std::array<char, 10> kEcho{10, 0, 'Z', 'E', 'L', ' ', 'E', 'c', 'h', 'o'};
        std::array<char, 130> answer{};
        const bool ok = fd >= 0 &&
                        ::sendto(fd, kEcho.data(), kEcho.size(), 0, reinterpret_cast<const sockaddr*>(&echo),
                                 sizeof echo) == static_cast<ssize_t>(kEcho.size()) &&
                        ::recv(fd, answer.data(), answer.size(), 0) > 0;
        if (fd >= 0)
            ::close(fd);
        return ok;
    }
    bool Connect(const sockaddr_in& peer) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(fd_, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
        return fd_ >= 0 && ::connect(fd_, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0;
    }
    bool Send(const std::string& bytes) {
        return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }
    // Reads until `lines` reply lines have come in since the connect.
    bool ReadUntil(std::size_t lines) {
        while (lines_ < lines) {
            const ssize_t got = ::recv(fd_, buffer_.data(), buffer_.size(), 0);
            if (got <= 0)
                return false;
            lines_ += static_cast<std::size_t>(std::count(buffer_.data(), buffer_.data() + got, '\r'));
            arrivals_.emplace_back(lines_, Clock::now());
        }
        return true;
    }
    // When the `lines`th reply line had come in (it has).
    Clock::time_point ArrivalOf(std::size_t lines) const {
        for (const auto& [count, at] : arrivals_) {
            if (count >= lines)
                return at;
        }
        return start_;
    }

  private:
    int fd_ = -1;
    std::size_t lines_ = 0;
    Clock::time_point start_ = Clock::now();  // no line is needed before the connect
    std::vector<std::pair<std::size_t, Clock::time_point>> arrivals_;
    std::array<char, 65536> buffer_{};
};

sockaddr_in Frame(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    ::inet_pton(AF_INET, "127.0.0.2", &address.sin_addr);
    return address;
}

Run BareRun(const Script& script, const test::SimProcess& sim) {
    const test::SimProcess::Ports& ports = sim.GetPorts();
    BareClient client;
    LetTheSimulatorSettle();
    const CpuMeter cpu(sim.Pid());
    const auto start = Clock::now();
    bool ok = client.Probe(Frame(ports.echo)) && client.Connect(Frame(ports.tcp));
    auto timerFired = start;
    for (std::size_t next = 0; ok && next < script.bursts.size(); ++next) {
        const Script::Burst& burst = script.bursts[next];
        ok = client.ReadUntil(burst.linesIn);
        if (ok && burst.timer) {
            std::this_thread::sleep_until(client.ArrivalOf(burst.timer->linesIn) + burst.timer->wait);
            if (next == script.timerBurst)
                timerFired = Clock::now();
        }
        ok = ok && client.Send(burst.bytes);
    }
    ok = ok && client.ReadUntil(script.lines);
    const auto end = Clock::now();
    Run run;
    cpu.Stop(run);
    if (!ok || timerFired == start) {
        std::fprintf(stderr, "the bare client's exchange broke off\n");
        std::exit(1);
    }
    run.before = Ms(client.ArrivalOf(script.timerLinesIn) - start).count();
    run.after = Ms(end - timerFired).count();
    run.beyond = run.before + run.after;
    run.total = Ms(end - start).count();
    return run;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Series {
    std::vector<Run> runs;
    std::vector<double> Of(double Run::*field) const {
        std::vector<double> values;
        for (const Run& run : runs)
            values.push_back(run.*field);
        return values;
    }
    double MedianOf(double Run::*field) const { return Median(Of(field)); }
    void Print(const char* name) const {
        const std::vector<double> beyond = Of(&Run::beyond);
        std::printf("%s\n", name);
        std::printf("  beyond timers  median %6.3f ms  (min %.3f, max %.3f)\n", Median(beyond),
                    *std::min_element(beyond.begin(), beyond.end()),
                    *std::max_element(beyond.begin(), beyond.end()));
        std::printf("    before it    median %6.3f ms  (connect to the start of the last timer)\n",
                    MedianOf(&Run::before));
        std::printf("    after it     median %6.3f ms  (its expiry to the frame read)\n",
                    MedianOf(&Run::after));
        std::printf("  CPU per connect, waits included: this side %.3f ms, simulator %.3f ms (medians)\n",
                    MedianOf(&Run::clientCpu), MedianOf(&Run::simCpu));
    }
};

}  // namespace
}  // namespace velmar

int main(int argc, char** argv) {
    using namespace velmar;
    const int runs = std::max(5, argc > 1 ? std::atoi(argv[1]) : 21);
    test::SimProcess sim;
    sim.ExportPorts();
    Script script;
    const Run warmUp = ConsoleRun(&script, sim.Pid());
    BareRun(script, sim);
    Series console;
    Series bare;
    for (int i = 0; i < runs; ++i) {
        // Each goes first in every other run.
        if (i % 2 == 0)
            console.runs.push_back(ConsoleRun(nullptr, sim.Pid()));
        bare.runs.push_back(BareRun(script, sim));
        if (i % 2 != 0)
            console.runs.push_back(ConsoleRun(nullptr, sim.Pid()));
    }
    std::printf(
        "connect to fully read 1536-channel frame: %zu requests in %zu sends, %zu reply lines; %d runs "
        "each, alternating (medians)\n",
        warmUp.requests, script.bursts.size(), script.lines, runs);
    std::printf("  console total  median %8.2f ms\n", console.MedianOf(&Run::total));
    console.Print("console core");
    bare.Print("bare client, the same exchange");
    std::printf("ratio console/bare client beyond timers: %.2f (before %.2f, after %.2f)\n",
                console.MedianOf(&Run::beyond) / bare.MedianOf(&Run::beyond),
                console.MedianOf(&Run::before) / bare.MedianOf(&Run::before),
                console.MedianOf(&Run::after) / bare.MedianOf(&Run::after));
    return 0;
}
