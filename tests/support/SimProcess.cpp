#include "tests/support/SimProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <thread>

#ifndef VELMAR_SIM_PATH
#error "VELMAR_SIM_PATH must name the velmar-sim executable"
#endif

namespace velmar::test {
namespace {

constexpr int kLaunchAttempts = 5;

// A port the kernel just handed out for both UDP and TCP on loopback; free for a moment.
std::uint16_t FreePort() {
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int tcp = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(tcp, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::getsockname(tcp, reinterpret_cast<sockaddr*>(&address), &length);
        const int udp = ::socket(AF_INET, SOCK_DGRAM, 0);
        const bool udpFree = ::bind(udp, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(udp);
        ::close(tcp);
        if (udpFree)
            return ntohs(address.sin_port);
    }
    throw std::runtime_error("no free loopback port");
}

void WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0)
            throw std::runtime_error("velmar-sim does not take commands");
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace

SimProcess::SimProcess(std::vector<std::string> arguments) {
    // A rack that lost the race for its ports has exited by the time it is told to quit; the write
    // to its closed standard input must fail, not kill the test with SIGPIPE.
    ::signal(SIGPIPE, SIG_IGN);
    std::string failure;
    for (int attempt = 0; attempt < kLaunchAttempts; ++attempt) {
        if (Launch(arguments, failure))
            return;
        Stop();
    }
    throw std::runtime_error("velmar-sim did not start: " + failure);
}

SimProcess::~SimProcess() {
    Stop();
}

bool SimProcess::Launch(const std::vector<std::string>& arguments, std::string& failure) {
    ports_ = {FreePort(), FreePort(), FreePort(), FreePort()};
    frameLines_.clear();
    pending_.clear();
    int input[2];
    int output[2];
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) {
        failure = "no pipes";
        return false;
    }
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ == 0) {
        // The rack must not outlive a test that crashed.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(3);
        ::dup2(input[0], STDIN_FILENO);
        ::dup2(output[1], STDOUT_FILENO);
        ::setenv("VELMAR_ECHO_PORT", std::to_string(ports_.echo).c_str(), 1);
        ::setenv("VELMAR_DISCOVERY_PORT", std::to_string(ports_.discovery).c_str(), 1);
        ::setenv("VELMAR_TCP_PORT", std::to_string(ports_.tcp).c_str(), 1);
        ::setenv("VELMAR_TELNET_PORT", std::to_string(ports_.telnet).c_str(), 1);
        const char* binary = std::getenv("VELMAR_SIM_BINARY");
        if (!binary || !*binary)
            binary = VELMAR_SIM_PATH;
        std::vector<char*> argv{const_cast<char*>(binary)};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(binary, argv.data());
        ::_exit(127);
    }
    ::close(input[0]);
    ::close(output[1]);
    toChild_ = input[1];
    fromChild_ = output[0];
    if (pid_ < 0) {
        failure = "fork failed";
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::string line;
    while (ReadLine(line, deadline)) {
        if (line == "ready")
            return true;
        if (line.rfind("frame ", 0) == 0)
            frameLines_.push_back(line);
    }
    failure = "no 'ready' line (exit or timeout)";
    return false;
}

bool SimProcess::ReadLine(std::string& line, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const std::size_t newline = pending_.find('\n');
        if (newline != std::string::npos) {
            line = pending_.substr(0, newline);
            pending_.erase(0, newline + 1);
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || fromChild_ < 0)
            return false;
        pollfd watch{fromChild_, POLLIN, 0};
        if (::poll(&watch, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = ::read(fromChild_, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        pending_.append(buffer, static_cast<std::size_t>(n));
    }
}

void SimProcess::ExportPorts() const {
    ::setenv("VELMAR_ECHO_PORT", std::to_string(ports_.echo).c_str(), 1);
    ::setenv("VELMAR_DISCOVERY_PORT", std::to_string(ports_.discovery).c_str(), 1);
    ::setenv("VELMAR_TCP_PORT", std::to_string(ports_.tcp).c_str(), 1);
    ::setenv("VELMAR_TELNET_PORT", std::to_string(ports_.telnet).c_str(), 1);
}

std::vector<std::string> SimProcess::Command(const std::string& line, std::chrono::milliseconds timeout) {
    WriteAll(toChild_, line + "\n");
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::vector<std::string> answer;
    std::string text;
    while (ReadLine(text, deadline)) {
        answer.push_back(text);
        if (text.rfind("ok", 0) == 0 || text.rfind("error", 0) == 0)
            return answer;
    }
    throw std::runtime_error("velmar-sim did not answer '" + line + "'");
}

void SimProcess::Stop() {
    if (pid_ > 0) {
        if (toChild_ >= 0) {
            const std::string quit = "quit\n";
            [[maybe_unused]] const ssize_t ignored = ::write(toChild_, quit.data(), quit.size());
        }
        int status = 0;
        bool ended = false;
        for (int i = 0; i < 200 && !ended; ++i) {
            ended = ::waitpid(pid_, &status, WNOHANG) == pid_;
            if (!ended)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!ended) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
        }
    }
    pid_ = -1;
    if (toChild_ >= 0)
        ::close(toChild_);
    if (fromChild_ >= 0)
        ::close(fromChild_);
    toChild_ = fromChild_ = -1;
}

}  // namespace velmar::test
