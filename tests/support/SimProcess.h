#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace velmar::test {

// Runs the built velmar-sim as a child process on ports of its own, so that tests can run side
// by side: it picks free ports, waits for "ready", sends control commands on the child's
// standard input, and stops the child when destroyed. The child dies with the test process.
class SimProcess {
  public:
    struct Ports {
        std::uint16_t echo = 0;
        std::uint16_t discovery = 0;
        std::uint16_t tcp = 0;
        std::uint16_t telnet = 0;
    };

    // `arguments` go to velmar-sim as given (for example {"--frames", "64"}). Throws
    // std::runtime_error when the rack does not come up.
    explicit SimProcess(std::vector<std::string> arguments = {});
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const Ports& GetPorts() const { return ports_; }
    // The "frame ..." lines the rack printed at start, one per frame.
    const std::vector<std::string>& FrameLines() const { return frameLines_; }
    // Sets VELMAR_ECHO_PORT and the other three in this process, for code under test that
    // reads them.
    void ExportPorts() const;

    // Sends one control command and returns its answer lines, the last being "ok ..." or
    // "error: ..."; throws std::runtime_error when no answer comes in time.
    std::vector<std::string> Command(const std::string& line,
                                     std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // The last answer line of Command, for the common case.
    std::string Do(const std::string& line) { return Command(line).back(); }

    pid_t Pid() const { return pid_; }
    void Stop();

  private:
    bool Launch(const std::vector<std::string>& arguments, std::string& failure);
    bool ReadLine(std::string& line, std::chrono::steady_clock::time_point deadline);

    pid_t pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
    std::string pending_;
    Ports ports_;
    std::vector<std::string> frameLines_;
};

}  // namespace velmar::test
