// "Save changes" with every group changed on the simulated K5A: the time from the apply to the last
// answer, and to the end of a state poll run right after it (the window waits 300 ms before that
// poll; the wait is not counted). Prints the medians of 30 runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "cli/HeadlessConsole.h"
#include "device/Session.h"
#include "device/posix/PosixDatagramSocket.h"
#include "device/posix/PosixEventLoop.h"
#include "device/posix/PosixTcpTransport.h"
#include "device/posix/PosixTimerService.h"
#include "features/settings/core/ApplySettings.h"
#include "tests/support/SimProcess.h"

namespace {

using namespace velmar;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A change in every group the apply walks; `flip` alternates so each run changes everything again.
void ChangeEverything(ConfigBlock& c, bool flip) {
    const std::int32_t v = flip ? 1 : 0;
    c.aliveTime = flip ? 30 : 20;
    c.systemDelay = flip ? 8 : 4;
    c.sampleRate = flip ? 4 : 2;
    c.sampleRateAdaptSrc = flip ? 3 : 1;
    c.wordClkOutMode = v;
    c.deviceName.Assign(flip ? "Studio B" : "Studio A");
    c.lan.gateway.Assign(flip ? "127.0.0.254" : "127.0.0.1");
    c.aesChnStMode = v;
    for (std::size_t port = 0; port < kMadiPorts; ++port) {
        c.madiIn[port].mode = v;
        c.madiOut[port].legFr = v;
    }
    c.phd.emuMode1 = v;
    c.redundancyEnable = 0;
    c.redundancyMode = flip ? 1 : 2;
    c.optMode[0].mode = flip ? 1 : 2;
    c.optMode[1].mode = flip ? 2 : 1;
    c.hlinkInMode[0].mode = v;
    c.hlinkInMode[1].mode = v;
    c.danteName.Assign(flip ? "STUDIO-B" : "STUDIO-A");
    c.danteLan.gateway.Assign(flip ? "127.1.0.254" : "0.0.0.0");
    c.danteSRate = v;
    c.danteSecLan.gateway.Assign(flip ? "127.2.0.254" : "0.0.0.0");
    c.danteSwMode = v;
    c.syncPrio[0] = static_cast<std::uint8_t>(flip ? 3 : 1);
    c.syncTermEnable = v;
}

}  // namespace

int main() {
    test::SimProcess sim;
    sim.ExportPorts();
    PosixEventLoop loop;
    PosixTimerService timers(loop);
    PosixTcpTransport tcp(loop);
    PosixDatagramSocket datagrams(loop);
    Session session(tcp, datagrams, timers, LinkPorts::FromEnvironment(), ConsoleOptions{});
    HeadlessConsole console(session);
    session.Connect("127.0.0.2", DeviceMode::Application, ModelClass::Full);
    if (!loop.RunUntil([&] { return console.FrameRead(); }, 10s)) {
        std::fprintf(stderr, "velmar-bench-settings: the simulated K5A was not read\n");
        return 1;
    }

    std::vector<double> toAnswers;
    std::vector<double> toReadBack;
    std::size_t requests = 0;
    for (int run = 0; run < 30; ++run) {
        const auto opened = std::make_unique<ConfigBlock>(session.State().config);
        auto edited = std::make_unique<ConfigBlock>(*opened);
        ChangeEverything(*edited, run % 2 == 0);
        const std::size_t pollsBefore = session.Polling().PollsRun();
        const auto start = Clock::now();
        RequestBatch sent(session.Outcomes());
        const ApplyOutcome outcome =
            ApplySettings(*opened, *edited, session.State().config, session.Requests());
        sent.Close();
        if (!loop.RunUntil([&] { return sent.Settled(); }, 5s) || !outcome.refused.empty()) {
            std::fprintf(stderr, "velmar-bench-settings: run %d was not answered\n", run);
            return 1;
        }
        toAnswers.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        session.PollStateIn(0ms);
        loop.RunUntil(
            [&] { return session.Polling().PollsRun() > pollsBefore && console.UnansweredText(1).empty(); },
            5s);
        toReadBack.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        requests = outcome.requestsSent;
    }
    std::printf("save changes, every group changed on the simulated K5A (%zu requests, 30 runs)\n", requests);
    std::printf("  to the last answer:        median %.2f ms\n", Median(toAnswers));
    std::printf(
        "  to the re-read state:      median %.2f ms (not counting the 300 ms wait before the poll)\n",
        Median(toReadBack));
    session.Disconnect();
    return 0;
}
