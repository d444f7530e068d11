// Figures for the simulator: request/reply lines per second on one loopback connection
// (pipelined and one at a time), discovery time of a 64-frame rack, and its memory.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/LineClient.h"
#include "tests/support/SimProcess.h"

namespace {

using Clock = std::chrono::steady_clock;
using velmar::test::LineClient;
using velmar::test::SimProcess;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::size_t CountLines(const std::string& bytes) {
    return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\r'));
}

// Sends `total` requests in windows of `window` and reads every reply; lines per second.
double PipelinedRate(LineClient& client, int total, int window) {
    std::string batch;
    for (int i = 0; i < window; ++i)
        batch += "?gcross," + std::to_string(i % 1536 + 1) + "\r";
    const auto start = Clock::now();
    for (int sent = 0; sent < total; sent += window) {
        client.Send(batch);
        std::size_t got = 0;
        while (got < static_cast<std::size_t>(window)) {
            const std::string bytes = client.Receive(std::chrono::seconds(5), std::chrono::milliseconds(0));
            if (bytes.empty())
                return 0;
            got += CountLines(bytes);
        }
    }
    return total / std::chrono::duration<double>(Clock::now() - start).count();
}

double RoundTripRate(LineClient& client, int total) {
    const auto start = Clock::now();
    for (int i = 0; i < total; ++i) {
        client.Send("?gcross,1\r");
        if (!client.NextLine(std::chrono::seconds(5)))
            return 0;
    }
    return total / std::chrono::duration<double>(Clock::now() - start).count();
}

double DiscoveryMilliseconds(const SimProcess& sim, std::size_t frames) {
    const int receiver = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    local.sin_port = htons(sim.GetPorts().discovery);
    ::bind(receiver, reinterpret_cast<sockaddr*>(&local), sizeof local);
    const int sender = ::socket(AF_INET, SOCK_DGRAM, 0);
    const int on = 1;
    ::setsockopt(sender, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    sockaddr_in broadcast{};
    broadcast.sin_family = AF_INET;
    broadcast.sin_port = htons(sim.GetPorts().echo);
    inet_pton(AF_INET, "127.255.255.255", &broadcast.sin_addr);
    const auto start = Clock::now();
    ::sendto(sender, "?edev\r", 6, 0, reinterpret_cast<sockaddr*>(&broadcast), sizeof broadcast);
    std::size_t answers = 0;
    pollfd watch{receiver, POLLIN, 0};
    while (answers<frames&& ::poll(&watch, 1, 2000)> 0) {
        char buffer[256];
        if (::recv(receiver, buffer, sizeof buffer, 0) > 0)
            ++answers;
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    ::close(receiver);
    ::close(sender);
    return answers == frames ? ms : -1;
}

std::string ResidentMemory(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return line.substr(6);
    }
    return "?";
}

}  // namespace

int main() {
    constexpr int kRuns = 5;
    {
        SimProcess sim;
        LineClient client("127.0.0.2", sim.GetPorts().tcp);
        std::vector<double> pipelined;
        std::vector<double> roundTrip;
        for (int run = 0; run < kRuns; ++run) {
            pipelined.push_back(PipelinedRate(client, 200000, 2000));
            roundTrip.push_back(RoundTripRate(client, 20000));
        }
        std::printf(
            "one connection, pipelined (window 2000): median %.0f request/reply lines/s over %d runs\n",
            Median(pipelined), kRuns);
        std::printf(
            "one connection, one request at a time:   median %.0f request/reply lines/s over %d runs\n",
            Median(roundTrip), kRuns);
    }
    {
        SimProcess sim({"--frames", "64"});
        std::vector<double> times;
        for (int run = 0; run < 11; ++run)
            times.push_back(DiscoveryMilliseconds(sim, 64));
        std::printf(
            "64-frame rack, one discovery query to all 64 answers: median %.2f ms over 11 runs (worst "
            "%.2f)\n",
            Median(times), *std::max_element(times.begin(), times.end()));
        std::printf("64-frame rack resident memory:%s\n", ResidentMemory(sim.Pid()).c_str());
    }
    return 0;
}
