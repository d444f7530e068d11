#include "sim/RackServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

namespace velmar::sim {
namespace {

constexpr std::size_t kMaxInput = 64 * 1024;             // unread request bytes per client
constexpr std::size_t kMaxLine = 1024;                   // a partial line longer than this is dropped
constexpr std::size_t kOutputSoftCap = 1024 * 1024;      // stop answering a client that does not read
constexpr std::size_t kOutputHardCap = 8 * 1024 * 1024;  // notifications beyond this drop the client
constexpr std::size_t kMaxControlInput = 4096;
constexpr std::size_t kMaxDatagram = 512;
constexpr int kMaxMissedAlive = 3;
constexpr std::int64_t kCloseGraceMs = 2000;
constexpr std::uint32_t kLoopbackBroadcast = 0x7FFFFFFFu;

bool IsStartCharacter(char c) {
    return c == ':' || c == '&' || c == '?' || c == '%' || c == '!';
}

bool IsLoopback(const sockaddr_in& address) {
    return (ntohl(address.sin_addr.s_addr) >> 24) == 127;
}

void CloseFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

std::string Describe(const char* what, in_addr address, std::uint16_t port) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof text);
    return std::string(what) + " " + text + ":" + std::to_string(port) + ": " + std::strerror(errno);
}

int OpenSocket(int type, in_addr address, std::uint16_t port, std::string& error) {
    const int fd = ::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = Describe("cannot create a socket for", address, port);
        return -1;
    }
    const int on = 1;
    if (type == SOCK_STREAM)
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr = address;
    local.sin_port = htons(port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        (type == SOCK_STREAM && ::listen(fd, 64) != 0)) {
        error = Describe("cannot bind", address, port);
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

RackServer::RackServer(Rack& rack, SimPorts ports, Clock clock)
    : rack_(rack), ports_(ports), clock_(std::move(clock)), control_(rack, *this), sockets_(rack.Size()) {}

RackServer::~RackServer() {
    for (auto& client : clients_)
        CloseFd(client->fd);
    for (auto& control : controlClients_)
        CloseFd(control->fd);
    for (FrameSockets& frame : sockets_) {
        CloseFd(frame.udp);
        CloseFd(frame.tcp);
        CloseFd(frame.telnet);
    }
    CloseFd(broadcastUdp_);
    CloseFd(controlListener_);
}

std::string RackServer::Start(bool readStdin, std::uint16_t controlPort) {
    std::string error;
    readStdin_ = readStdin;
    in_addr broadcast{};
    broadcast.s_addr = htonl(kLoopbackBroadcast);
    broadcastUdp_ = OpenSocket(SOCK_DGRAM, broadcast, ports_.echo, error);
    if (broadcastUdp_ < 0)
        return error;
    for (std::size_t i = 0; i < rack_.Size(); ++i) {
        if (inet_pton(AF_INET, rack_.At(i).Address().c_str(), &sockets_[i].address) != 1) {
            return "bad frame address " + rack_.At(i).Address();
        }
        sockets_[i].udp = OpenSocket(SOCK_DGRAM, sockets_[i].address, ports_.echo, error);
        if (sockets_[i].udp < 0)
            return error;
        SyncListeners(i);
        const bool wantTcp = rack_.At(i).Mode() == FrameMode::Application;
        if ((wantTcp && sockets_[i].tcp < 0) || sockets_[i].telnet < 0) {
            return "cannot listen on " + rack_.At(i).Address() + ": " + std::strerror(errno);
        }
    }
    if (controlPort != 0) {
        in_addr local{};
        local.s_addr = htonl(INADDR_LOOPBACK);
        controlListener_ = OpenSocket(SOCK_STREAM, local, controlPort, error);
        if (controlListener_ < 0)
            return error;
    }
    return {};
}

void RackServer::SyncListeners(std::size_t frame) {
    const Frame& target = rack_.At(frame);
    FrameSockets& sockets = sockets_[frame];
    const bool up = target.PhaseAt(clock_()) == Frame::Phase::Up && !target.Faults().refuse;
    const bool wantTcp = up && target.Mode() == FrameMode::Application;
    std::string error;
    const bool drain = target.PhaseAt(clock_()) == Frame::Phase::Up;
    auto sync = [&](int& fd, bool want, std::uint16_t port) {
        if (!want) {
            // Connections the kernel already completed belong to the frame; refusing starts
            // with the next one.
            if (fd >= 0 && drain)
                Accept(fd, frame);
            if (fd >= 0)
                watch_.DescriptorsClosed();
            CloseFd(fd);
        } else if (fd < 0) {
            fd = OpenSocket(SOCK_STREAM, sockets.address, port, error);
            if (fd < 0)
                std::fprintf(stderr, "velmar-sim: %s\n", error.c_str());
        }
    };
    sync(sockets.tcp, wantTcp, ports_.tcp);
    sync(sockets.telnet, up, ports_.telnet);
}

std::int64_t RackServer::NextWakeup(std::int64_t now) const {
    std::int64_t next = INT64_MAX;
    for (std::size_t i = 0; i < rack_.Size(); ++i)
        next = std::min(next, rack_.At(i).NextEventAt());
    for (const auto& client : clients_) {
        next = std::min(next, client->nextAliveAt);
        const std::int64_t due = client->output.NextDue();
        if (due > now)
            next = std::min(next, due);
    }
    return next;
}

void RackServer::RunOnce(int maxWaitMs) {
    std::int64_t now = clock_();
    for (std::size_t i = 0; i < rack_.Size(); ++i) {
        if (rack_.At(i).Advance(now))
            SyncListeners(i);
    }
    for (auto& client : clients_) {
        if (client->dead)
            continue;
        if (now >= client->nextAliveAt)
            KeepAlive(*client);
        if (!client->input.empty())
            ProcessInput(*client);
        if (!client->output.Flush(client->fd, now, rack_.At(client->frame).Faults().split))
            client->dead = true;
        if (client->closeWhenFlushed && (client->output.Empty() || now >= client->nextAliveAt))
            client->dead = true;
    }
    for (auto& client : clients_) {
        if (client->dead && client->fd >= 0) {
            watch_.DescriptorsClosed();
            CloseFd(client->fd);
        }
    }
    std::erase_if(clients_, [](const auto& client) { return client->fd < 0; });
    std::erase_if(controlClients_, [this](const auto& control) {
        if (control->dead && control->fd >= 0) {
            watch_.DescriptorsClosed();
            CloseFd(control->fd);
        }
        return control->fd < 0;
    });

    // Kept between turns, so that a turn allocates nothing.
    std::vector<pollfd>& fds = pollFds_;
    std::vector<Tag>& tags = pollTags_;
    // Sized for the most there can be and written in place: the list is rebuilt every turn.
    const std::size_t most = 3 + controlClients_.size() + 3 * sockets_.size() + clients_.size();
    if (fds.size() < most) {
        fds.resize(most);
        tags.resize(most);
    }
    std::size_t count = 0;
    const auto watch = [&](int fd, short events, Kind kind, std::size_t index) {
        if (fd < 0)
            return;
        fds[count] = {fd, events, 0};
        tags[count] = {kind, index};
        ++count;
    };
    if (readStdin_)
        watch(STDIN_FILENO, POLLIN, Kind::Stdin, 0);
    watch(controlListener_, POLLIN, Kind::ControlListener, 0);
    for (std::size_t i = 0; i < controlClients_.size(); ++i) {
        watch(controlClients_[i]->fd,
              static_cast<short>(POLLIN | (controlClients_[i]->output.empty() ? 0 : POLLOUT)), Kind::Control,
              i);
    }
    watch(broadcastUdp_, POLLIN, Kind::Broadcast, 0);
    for (std::size_t i = 0; i < sockets_.size(); ++i) {
        watch(sockets_[i].udp, POLLIN, Kind::Udp, i);
        watch(sockets_[i].tcp, POLLIN, Kind::Tcp, i);
        watch(sockets_[i].telnet, POLLIN, Kind::Telnet, i);
    }
    for (std::size_t i = 0; i < clients_.size(); ++i) {
        const Client& client = *clients_[i];
        short events = 0;
        if (client.input.size() < kMaxInput && client.output.Pending() < kOutputSoftCap)
            events |= POLLIN;
        if (client.output.HasDue(now))
            events |= POLLOUT;
        watch(client.fd, events, Kind::Connection, i);
    }

    const std::int64_t wake = NextWakeup(now);
    const std::int64_t wait =
        std::clamp<std::int64_t>(wake == INT64_MAX ? maxWaitMs : wake - now, 0, maxWaitMs);
    if (watch_.Wait({fds.data(), count}, static_cast<int>(wait)) <= 0)
        return;

    for (std::size_t i = 0; i < count; ++i) {
        if (fds[i].revents == 0)
            continue;
        const Tag tag = tags[i];
        switch (tag.kind) {
            case Kind::Stdin: {
                std::string output;
                bool closed = false;
                ReadControl(STDIN_FILENO, stdinInput_, output, closed);
                if (!output.empty()) {
                    std::fwrite(output.data(), 1, output.size(), stdout);
                    std::fflush(stdout);
                }
                // Without a reader on stdin the rack keeps running until it is stopped.
                if (closed)
                    readStdin_ = false;
                break;
            }
            case Kind::ControlListener:
                AcceptControl();
                break;
            case Kind::Control: {
                ControlClient& control = *controlClients_[tag.index];
                if (fds[i].revents & (POLLIN | POLLHUP | POLLERR))
                    ReadControl(control.fd, control.input, control.output, control.dead);
                break;
            }
            case Kind::Broadcast:
                ReadDatagram(broadcastUdp_, 0, true);
                break;
            case Kind::Udp:
                ReadDatagram(sockets_[tag.index].udp, tag.index, false);
                break;
            case Kind::Tcp:
                Accept(sockets_[tag.index].tcp, tag.index);
                break;
            case Kind::Telnet:
                Accept(sockets_[tag.index].telnet, tag.index);
                break;
            case Kind::Connection:
                if (tag.index < clients_.size() && (fds[i].revents & (POLLIN | POLLHUP | POLLERR))) {
                    ReadClient(*clients_[tag.index]);
                }
                break;
        }
    }
    now = clock_();
    for (auto& client : clients_) {
        if (!client->dead && !client->output.Flush(client->fd, now, rack_.At(client->frame).Faults().split)) {
            client->dead = true;
        }
    }
    for (auto& control : controlClients_) {
        if (control->output.empty() || control->dead)
            continue;
        const ssize_t n =
            ::send(control->fd, control->output.data(), control->output.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0)
            control->output.erase(0, static_cast<std::size_t>(n));
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            control->dead = true;
    }
}

void RackServer::Accept(int listener, std::size_t frame) {
    for (;;) {
        const int fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        auto client = std::make_unique<Client>();
        client->fd = fd;
        client->frame = frame;
        const int alive = rack_.At(frame).AliveSeconds();
        client->nextAliveAt = clock_() + (alive > 0 ? alive * 1000LL : 1000);
        clients_.push_back(std::move(client));
    }
}

void RackServer::ReadClient(Client& client) {
    char buffer[16384];
    const std::size_t room = std::min(sizeof buffer, kMaxInput - std::min(kMaxInput, client.input.size()));
    if (room == 0)
        return;
    const ssize_t n = ::recv(client.fd, buffer, room, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
        client.dead = true;
        return;
    }
    if (n < 0 || rack_.At(client.frame).Faults().silent)
        return;
    client.input.append(buffer, static_cast<std::size_t>(n));
    ProcessInput(client);
}

void RackServer::ProcessInput(Client& client) {
    Frame& frame = rack_.At(client.frame);
    std::size_t pos = 0;
    bool partial = false;
    CommandMessage message;
    const std::int64_t now = clock_();
    while (pos < client.input.size() && client.output.Pending() < kOutputSoftCap) {
        const std::span<char> rest(client.input.data() + pos, client.input.size() - pos);
        const ReadResult result = reader_.Read(rest, message, Side::Request);
        if (!result.lineRead) {
            if (result.consumed == 0 && !IsStartCharacter(rest.front())) {
                pos = client.input.size();  // no line starts anywhere in it: noise
            } else {
                pos += result.consumed;
                partial = true;
            }
            if (partial)
                break;
            continue;
        }
        pos += result.consumed;
        const bool keepAliveAnswer =
            (message.flags & MessageFlags::kKeepAlive) && (message.flags & MessageFlags::kReply);
        if (keepAliveAnswer) {
            if (message.tag == client.awaitedTag) {
                client.awaitedTag = 0;
                client.missedAlive = 0;
            }
            continue;
        }
        // Replies and notifications from a console are not for the frame; failed lines are answered.
        if (message.code != kFailedParseCode && !(message.flags & MessageFlags::kRequest))
            continue;
        responses_.Clear();
        frame.Handle(message, responses_, now);
        Send(client, responses_.reply);
        SendToOthers(client, responses_.notify);
        if (responses_.restart)
            RestartFrame(client.frame);
    }
    client.input.erase(0, pos);
    // A line that never ends would hold the buffer forever; drop it and wait for the next start.
    if (partial && client.input.size() >= kMaxLine)
        client.input.clear();
}

void RackServer::Send(Client& client, std::string_view bytes) {
    const FaultSet& faults = rack_.At(client.frame).Faults();
    if (bytes.empty() || faults.silent || client.dead)
        return;
    const std::int64_t due = clock_() + faults.delayMs;
    if (faults.garbage) {
        std::uniform_int_distribution<int> length(1, 12);
        std::uniform_int_distribution<int> byte(0, 255);
        for (int i = length(random_); i > 0; --i) {
            const char noise = static_cast<char>(byte(random_));
            client.output.Push({&noise, 1}, due);
        }
    }
    client.output.Push(bytes, due);
    if (client.output.Pending() > kOutputHardCap)
        client.dead = true;
}

void RackServer::SendToOthers(const Client& from, std::string_view bytes) {
    if (bytes.empty())
        return;
    for (auto& client : clients_) {
        if (client.get() != &from && client->frame == from.frame)
            Send(*client, bytes);
    }
}

void RackServer::KeepAlive(Client& client) {
    const Frame& frame = rack_.At(client.frame);
    const int alive = frame.AliveSeconds();
    const std::int64_t now = clock_();
    if (alive <= 0 || frame.Faults().silent || client.closeWhenFlushed) {
        client.nextAliveAt = now + 1000;
        return;
    }
    client.nextAliveAt = now + alive * 1000LL;
    if (client.awaitedTag != 0 && ++client.missedAlive >= kMaxMissedAlive) {
        client.dead = true;
        return;
    }
    if (++client.aliveTag == 0)
        client.aliveTag = 1;
    client.awaitedTag = client.aliveTag;
    CommandMessage request;
    request.code = ToCode(CommandCode::aliverequest);
    request.flags = MessageFlags::kRequest | MessageFlags::kKeepAlive;
    request.tag = client.aliveTag;
    std::string line;
    LineBuilder(rack_.Codec()).Line(line, request);
    Send(client, line);
}

void RackServer::ReadDatagram(int fd, std::size_t frame, bool broadcast) {
    for (int budget = 64; budget > 0; --budget) {
        char buffer[kMaxDatagram];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t n =
            ::recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
        if (n < 0)
            return;
        // Frames talk to loopback only, whatever reaches them.
        if (!IsLoopback(from))
            continue;
        const std::string_view datagram(buffer, static_cast<std::size_t>(n));
        if (!broadcast) {
            AnswerDatagram(frame, datagram, from, false);
            continue;
        }
        for (std::size_t i = 0; i < rack_.Size(); ++i)
            AnswerDatagram(i, datagram, from, true);
    }
}

void RackServer::AnswerDatagram(std::size_t frame, std::string_view datagram, const sockaddr_in& from,
                                bool broadcast) {
    Frame& target = rack_.At(frame);
    const std::int64_t now = clock_();
    if (target.Faults().silent || target.PhaseAt(now) == Frame::Phase::Down)
        return;
    const int fd = sockets_[frame].udp;
    if (datagram.substr(0, 5) == "?edev") {
        const std::optional<std::string> answer = target.DiscoveryAnswer(now);
        if (!answer)
            return;
        sockaddr_in to = from;
        to.sin_port = htons(ports_.discovery);
        ::sendto(fd, answer->data(), answer->size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    } else if (datagram.substr(0, 4) == "%eip") {
        responses_.Clear();
        if (target.ApplyNetworkMessage(datagram, responses_))
            Notify(frame, responses_.notify);
    } else if (!broadcast && datagram.size() >= 2 &&
               static_cast<unsigned char>(datagram[0]) == datagram.size() && datagram[1] == 0 &&
               target.PhaseAt(now) == Frame::Phase::Up) {
        ::sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&from),
                 sizeof from);
    }
}

void RackServer::ReadControl(int fd, std::string& input, std::string& output, bool& dead) {
    char buffer[1024];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) {
        if (n == 0 || (errno != EAGAIN && errno != EINTR))
            dead = true;
        return;
    }
    input.append(buffer, static_cast<std::size_t>(n));
    for (std::size_t newline = input.find('\n'); newline != std::string::npos; newline = input.find('\n')) {
        output += control_.Execute(std::string_view(input).substr(0, newline));
        input.erase(0, newline + 1);
    }
    if (input.size() > kMaxControlInput) {
        input.clear();
        output += "error: control line too long\n";
    }
}

void RackServer::AcceptControl() {
    const int fd = ::accept4(controlListener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return;
    auto control = std::make_unique<ControlClient>();
    control->fd = fd;
    controlClients_.push_back(std::move(control));
}

void RackServer::CloseClient(Client& client) {
    client.dead = true;
}

void RackServer::CloseClients(std::size_t frame) {
    for (auto& client : clients_) {
        if (client->frame == frame)
            CloseClient(*client);
    }
}

void RackServer::SendRaw(std::size_t frame, std::string_view bytes) {
    for (auto& client : clients_) {
        if (client->frame == frame && !client->dead)
            client->output.Push(bytes, clock_());
    }
}

void RackServer::Notify(std::size_t frame, std::string_view lines) {
    for (auto& client : clients_) {
        if (client->frame == frame)
            Send(*client, lines);
    }
}

void RackServer::FaultsChanged(std::size_t frame) {
    SyncListeners(frame);
}

void RackServer::RestartFrame(std::size_t frame) {
    Frame& target = rack_.At(frame);
    const std::int64_t now = clock_();
    if (target.PhaseAt(now) == Frame::Phase::Up)
        target.Restart(now, target.Mode());
    // Replies already queued (the answer to the restart itself) still go out before the close.
    for (auto& client : clients_) {
        if (client->frame != frame)
            continue;
        client->closeWhenFlushed = true;
        client->nextAliveAt = now + kCloseGraceMs;
    }
    SyncListeners(frame);
}

std::size_t RackServer::ClientCount(std::size_t frame) const {
    return static_cast<std::size_t>(
        std::count_if(clients_.begin(), clients_.end(), [frame](const auto& client) {
            return client->frame == frame && !client->dead && !client->closeWhenFlushed;
        }));
}

}  // namespace velmar::sim
