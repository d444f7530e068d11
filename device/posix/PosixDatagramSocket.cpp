#include "device/posix/PosixDatagramSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velmar {

bool PosixDatagramSocket::Open() {
    Close();
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    Watch();
    return fd_ >= 0;
}

std::optional<std::size_t> PosixDatagramSocket::SendTo(std::uint32_t address, std::uint16_t port,
                                                       std::span<const char> bytes) {
    if (fd_ < 0)
        return std::nullopt;
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = htonl(address);
    const ssize_t sent = ::sendto(fd_, bytes.data(), bytes.size(), 0,
                                  reinterpret_cast<const sockaddr*>(&target), sizeof target);
    if (sent < 0)
        return std::nullopt;
    return static_cast<std::size_t>(sent);
}

std::optional<std::size_t> PosixDatagramSocket::TryReceive(std::span<char> into) {
    if (fd_ < 0)
        return std::nullopt;
    const ssize_t count = ::recv(fd_, into.data(), into.size(), MSG_DONTWAIT);
    if (count < 0)
        return std::nullopt;
    return static_cast<std::size_t>(count);
}

void PosixDatagramSocket::Close() {
    if (fd_ < 0)
        return;
    loop_.Unwatch(fd_);
    ::close(fd_);
    fd_ = -1;
}

}  // namespace velmar

namespace velmar {

void PosixDatagramSocket::SetReadableCallback(std::function<void()> callback) {
    readable_ = std::move(callback);
    Watch();
}

void PosixDatagramSocket::Watch() {
    if (fd_ < 0)
        return;
    if (!readable_) {
        loop_.Unwatch(fd_);
        return;
    }
    loop_.Watch(fd_, POLLIN, [this](short) {
        // Copy first: the callback may close this socket and clear the callback.
        const std::function<void()> callback = readable_;
        if (callback)
            callback();
    });
}

}  // namespace velmar
