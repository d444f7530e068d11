// Time from Connect to a fully read frame (all lcross runs and card replies in) against
// velmar-sim's 1536-channel K5A with its cards, on loopback. Two of the console's own timers gate
// the sequence: the state poll 100 ms after the position-2 software version and the card requests
// 200 ms after the PSU 2 reply; the figure that matters is the time spent beyond them.
//
// Run it inside a private network namespace:
//   unshare -n sh -c 'ip link set lo up; build/bin/velmar-bench-connect'
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <map>
#include <vector>

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

// Notes when each timer was last started and when it fired.
class TimerLog final : public TimerService {
  public:
    explicit TimerLog(TimerService& inner) : inner_(inner) {}
    TimerHandle Start(std::string_view name, std::chrono::milliseconds interval, TimerMode mode,
                      std::function<void()> expired) override {
        const std::string key(name);
        started[key] = Clock::now();
        // The inner handle is kept alive by the callback's owner: this log forwards stops by id.
        handles_.push_back(inner_.Start(name, interval, mode, [this, key, expired = std::move(expired)] {
            fired[key] = Clock::now();
            expired();
        }));
        return TimerHandle(*this, handles_.size());
    }

    std::chrono::system_clock::time_point WallTime() const override { return inner_.WallTime(); }

    std::map<std::string, Clock::time_point> started;
    std::map<std::string, Clock::time_point> fired;

  private:
    void Cancel(std::uint64_t id) override { handles_[id - 1].Stop(); }
    bool IsRunning(std::uint64_t id) const override { return handles_[id - 1].Running(); }

    TimerService& inner_;
    std::deque<TimerHandle> handles_;
};

struct Run {
    double total = 0;
    double beyond = 0;
    double before = 0;  // from Connect to the start of the last timer
    double after = 0;   // from that timer's expiry to the frame read
    std::size_t requests = 0;
};

Run ReadOnce() {
    PosixEventLoop loop;
    PosixTimerService clock(loop);
    TimerLog timers(clock);
    PosixTcpTransport tcp(loop);
    PosixDatagramSocket datagrams(loop);
    Session session(tcp, datagrams, timers, LinkPorts::FromEnvironment(), ConsoleOptions{});
    HeadlessConsole console(session);
    const auto start = Clock::now();
    session.Connect("127.0.0.2", DeviceMode::Application, ModelClass::Full);
    if (!loop.RunUntil([&] { return console.FrameRead(); }, std::chrono::seconds(5))) {
        std::fprintf(stderr, "the frame was not read within 5 s\n");
        std::exit(1);
    }
    const auto end = Clock::now();
    // The wait of whichever timer fired last lies on the critical path.
    const std::string last =
        timers.fired["card requests"] > timers.fired["state poll"] ? "card requests" : "state poll";
    const double waited = Ms(timers.fired[last] - timers.started[last]).count();
    const double total = Ms(end - start).count();
    session.Disconnect();
    return {total, total - waited, Ms(timers.started[last] - start).count(),
            Ms(end - timers.fired[last]).count(), session.Link().RequestsSent()};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace
}  // namespace velmar

int main() {
    velmar::test::SimProcess sim;
    sim.ExportPorts();
    constexpr int kRuns = 21;
    std::vector<double> totals;
    std::vector<double> beyond;
    std::vector<double> before;
    std::vector<double> after;
    std::size_t requests = 0;
    velmar::ReadOnce();  // warm-up
    for (int i = 0; i < kRuns; ++i) {
        const velmar::Run run = velmar::ReadOnce();
        totals.push_back(run.total);
        beyond.push_back(run.beyond);
        before.push_back(run.before);
        after.push_back(run.after);
        requests = run.requests;
    }
    std::printf("connect to fully read 1536-channel frame (%zu requests, %d runs)\n", requests, kRuns);
    std::printf("  total          median %8.2f ms  (min %.2f, max %.2f)\n", velmar::Median(totals),
                *std::min_element(totals.begin(), totals.end()),
                *std::max_element(totals.begin(), totals.end()));
    std::printf("  beyond timers  median %8.2f ms  (min %.2f, max %.2f)\n", velmar::Median(beyond),
                *std::min_element(beyond.begin(), beyond.end()),
                *std::max_element(beyond.begin(), beyond.end()));
    std::printf("    before it     median %8.2f ms  (connect to the start of the last timer)\n",
                velmar::Median(before));
    std::printf("    after it      median %8.2f ms  (its expiry to the frame read)\n", velmar::Median(after));
    return 0;
}
