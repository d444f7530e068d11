// velmar-sim: a rack of emulated frames on loopback addresses 127.0.0.2 and up.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/HealthChurn.h"
#include "sim/Rack.h"
#include "sim/RackConfig.h"
#include "sim/RackServer.h"
#include "sim/SimPorts.h"

namespace {

constexpr const char* kUsage =
    "usage: velmar-sim [--frames N | --rack FILE | --frame 'key=value ...']... [--control-port N]\n"
    "                  [--restart-ms N] [--churn RATE [--seed N]] [--no-stdin]\n"
    "Runs a rack of emulated frames on 127.0.0.2 and up; see sim/README.md.\n";

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) {
    stopRequested = 1;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "velmar-sim: %s\n", message.c_str());
    return 2;
}

bool ParseCount(const std::string& text, long low, long high, long& value) {
    try {
        std::size_t used = 0;
        value = std::stol(text, &used);
        return used == text.size() && value >= low && value <= high;
    } catch (...) {
        return false;
    }
}

}  // namespace

int main(int argc, char** argv) {
    using namespace velmar::sim;
    std::vector<FrameDescription> frames;
    bool framesGiven = false;
    bool readStdin = true;
    long controlPort = 0;
    long restartMs = 2000;
    double churnRate = 0;
    long seed = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        long number = 0;
        if (option == "--help" || option == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (option == "--no-stdin") {
            readStdin = false;
        } else if (option == "--frames" && hasValue) {
            if (!ParseCount(argv[++i], 1, 250, number))
                return Fail("--frames needs a count 1..250");
            const std::vector<FrameDescription> generated =
                RackConfig::GeneratedRack(static_cast<int>(number));
            frames.insert(frames.end(), generated.begin(), generated.end());
            framesGiven = true;
        } else if (option == "--rack" && hasValue) {
            std::ifstream file(argv[++i]);
            if (!file)
                return Fail(std::string("cannot read rack file ") + argv[i]);
            std::stringstream text;
            text << file.rdbuf();
            if (std::string error = RackConfig::ParseFile(text.str(), frames); !error.empty()) {
                return Fail(std::string(argv[i]) + ": " + error);
            }
            framesGiven = true;
        } else if (option == "--frame" && hasValue) {
            FrameDescription description;
            if (std::string error = RackConfig::ApplyWords(argv[++i], description); !error.empty()) {
                return Fail("--frame: " + error);
            }
            frames.push_back(description);
            framesGiven = true;
        } else if (option == "--control-port" && hasValue) {
            if (!ParseCount(argv[++i], 1, 65535, controlPort))
                return Fail("--control-port needs a port number");
        } else if (option == "--restart-ms" && hasValue) {
            if (!ParseCount(argv[++i], 0, 600000, restartMs))
                return Fail("--restart-ms needs 0..600000");
        } else if (option == "--churn" && hasValue) {
            try {
                std::size_t used = 0;
                const std::string text = argv[++i];
                churnRate = std::stod(text, &used);
                if (used != text.size() || !(churnRate >= 0 && churnRate <= 10000))
                    return Fail("--churn needs changes per second 0..10000");
            } catch (...) {
                return Fail("--churn needs changes per second 0..10000");
            }
        } else if (option == "--seed" && hasValue) {
            if (!ParseCount(argv[++i], 0, 2147483647, seed))
                return Fail("--seed needs 0..2147483647");
        } else {
            std::fputs(kUsage, stderr);
            return Fail("unknown or incomplete option " + option);
        }
    }
    if (!framesGiven)
        frames = RackConfig::DefaultRack();
    if (std::string error = RackConfig::AssignAddresses(frames); !error.empty())
        return Fail(error);
    SimPorts ports;
    if (std::string error = SimPorts::FromEnvironment(ports); !error.empty())
        return Fail(error);

    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGTERM, RequestStop);
    std::signal(SIGINT, RequestStop);

    Rack rack(frames, restartMs);
    const auto start = std::chrono::steady_clock::now();
    RackServer server(rack, ports, [start] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
            .count();
    });
    if (std::string error = server.Start(readStdin, static_cast<std::uint16_t>(controlPort));
        !error.empty()) {
        return Fail(error);
    }
    for (std::size_t i = 0; i < rack.Size(); ++i)
        std::printf("%s\n", rack.At(i).Describe().c_str());
    std::printf("ports echo=%u discovery=%u tcp=%u telnet=%u control=%ld\nready\n", ports.echo,
                ports.discovery, ports.tcp, ports.telnet, controlPort);
    std::fflush(stdout);
    std::vector<std::string> addresses;
    for (const FrameDescription& frame : frames)
        addresses.push_back(frame.address);
    HealthChurn churn(addresses, churnRate, static_cast<std::uint32_t>(seed));
    const auto now = [start] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
            .count();
    };
    while (!server.Quitting() && !stopRequested) {
        server.RunOnce(churn.WaitMs(now(), 200));
        // A frame that cannot take a change (recovery firmware, a fan not fitted) keeps its state.
        for (const std::string& command : churn.Due(now()))
            server.Control(command);
    }
    return 0;
}
