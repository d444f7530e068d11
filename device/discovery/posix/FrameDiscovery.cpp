#include "device/discovery/posix/FrameDiscovery.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "device/LinkPorts.h"
#include "device/discovery/BroadcastTargets.h"
#include "device/discovery/DeviceList.h"
#include "device/discovery/DiscoveryDatagram.h"

namespace velmar {

namespace {

using Clock = std::chrono::steady_clock;

sockaddr_in Endpoint(std::uint32_t address, std::uint16_t port) {
    sockaddr_in endpoint{};
    endpoint.sin_family = AF_INET;
    endpoint.sin_port = htons(port);
    endpoint.sin_addr.s_addr = htonl(address);
    return endpoint;
}

// Closes the descriptor however the run ends.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }

  private:
    int fd_;
};

bool Bind(int fd, std::uint32_t address, std::uint16_t port) {
    const sockaddr_in local = Endpoint(address, port);
    return ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

void Broadcast(std::uint16_t echoPort) {
    for (const BroadcastTarget& target : LocalBroadcastTargets()) {
        const Descriptor fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
        const int on = 1;
        if (fd.Get() < 0 || ::setsockopt(fd.Get(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0 ||
            !Bind(fd.Get(), target.source, 0)) {
            continue;
        }
        const sockaddr_in to = Endpoint(target.broadcast, echoPort);
        ::sendto(fd.Get(), kDiscoveryQuery.data(), kDiscoveryQuery.size(), 0,
                 reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }
}

}  // namespace

FrameDiscoveryResult DiscoverFrames(std::chrono::milliseconds quiet, std::chrono::milliseconds limit) {
    FrameDiscoveryResult result;
    const Descriptor fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    const int on = 1;
    const std::uint16_t port = DiscoveryPortFromEnvironment();
    if (fd.Get() < 0 || ::setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        !Bind(fd.Get(), INADDR_ANY, port)) {
        result.error = "cannot listen on UDP port " + std::to_string(port) + ": " + std::strerror(errno);
        return result;
    }
    Broadcast(LinkPorts::FromEnvironment().echo);

    const std::vector<std::uint32_t> localBroadcasts = LocalBroadcastAddresses();
    DeviceList list;
    const Clock::time_point end = Clock::now() + limit;
    Clock::time_point lastAnswer = Clock::now();
    std::array<char, kMaxDiscoveryDatagram + 1> buffer{};
    for (;;) {
        const Clock::time_point now = Clock::now();
        const Clock::time_point deadline = std::min(end, lastAnswer + quiet);
        if (now >= deadline)
            break;
        pollfd waiting{fd.Get(), POLLIN, 0};
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count() + 1;
        if (::poll(&waiting, 1, static_cast<int>(wait)) <= 0)
            continue;
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t size = ::recvfrom(fd.Get(), buffer.data(), buffer.size(), 0,
                                        reinterpret_cast<sockaddr*>(&from), &length);
        if (size < 0)
            continue;
        std::array<char, INET_ADDRSTRLEN> sender{};
        ::inet_ntop(AF_INET, &from.sin_addr, sender.data(), sender.size());
        const auto entry =
            AcceptDiscoveryAnswer(std::span<const char>(buffer.data(), static_cast<std::size_t>(size)),
                                  sender.data(), localBroadcasts);
        if (entry && list.Update(*entry, false).changed)
            lastAnswer = Clock::now();
    }
    result.rows = list.Rows();
    return result;
}

}  // namespace velmar
