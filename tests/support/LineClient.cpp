#include "tests/support/LineClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velmar::test {

LineClient::LineClient(const std::string& address, std::uint16_t port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    if (fd_ < 0 || inet_pton(AF_INET, address.c_str(), &peer.sin_addr) != 1 ||
        ::connect(fd_, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        return;
    }
    const int on = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

LineClient::~LineClient() {
    if (fd_ >= 0)
        ::close(fd_);
}

void LineClient::Send(const std::string& bytes) {
    std::size_t done = 0;
    while (fd_ >= 0 && done < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

std::string LineClient::Receive(std::chrono::milliseconds timeout, std::chrono::milliseconds quiet) {
    std::string bytes;
    std::swap(bytes, pending_);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (fd_ >= 0 && !eof_) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const auto wait = bytes.empty() ? left : std::min(left, quiet);
        if (wait.count() <= 0)
            break;
        pollfd watch{fd_, POLLIN, 0};
        if (::poll(&watch, 1, static_cast<int>(wait.count())) <= 0) {
            if (!bytes.empty())
                break;
            continue;
        }
        char buffer[65536];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0) {
            eof_ = true;
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

std::optional<std::string> LineClient::NextLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const std::size_t end = pending_.find('\r');
        if (end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || fd_ < 0 || eof_)
            return std::nullopt;
        pollfd watch{fd_, POLLIN, 0};
        if (::poll(&watch, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char buffer[65536];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0) {
            eof_ = true;
            return std::nullopt;
        }
        pending_.append(buffer, static_cast<std::size_t>(n));
    }
}

std::optional<std::string> LineClient::LineStartingWith(const std::string& prefix,
                                                        std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        std::optional<std::string> line = NextLine(left);
        if (!line)
            return std::nullopt;
        if (line->rfind(prefix, 0) == 0)
            return line;
    }
}

bool LineClient::Closed(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!eof_ && fd_ >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd watch{fd_, POLLIN, 0};
        if (::poll(&watch, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0)
            eof_ = true;
    }
    return true;
}

CommandMessage ParseReply(MessageCodec& codec, const std::string& line) {
    std::string bytes = line + '\r';
    CommandMessage message;
    codec.Read(bytes, message, Side::Reply);
    return message;
}

}  // namespace velmar::test
