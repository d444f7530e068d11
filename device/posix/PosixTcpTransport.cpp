#include "device/posix/PosixTcpTransport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace velmar {

PosixTcpTransport::~PosixTcpTransport() {
    loop_.RemoveTurnEnd(this);
    Close();
}

int PosixTcpTransport::Connect(std::uint32_t address, std::uint16_t port) {
    Close();
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return errno;
    int on = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = htonl(address);
    const int result = ::connect(fd_, reinterpret_cast<const sockaddr*>(&target), sizeof target);
    if (result != 0 && errno != EINPROGRESS) {
        const int error = errno;
        Close();
        return error;
    }
    connecting_ = true;
    loop_.Watch(fd_, POLLOUT, [this](short revents) { OnEvents(revents); });
    return 0;
}

void PosixTcpTransport::OnEvents(short revents) {
    if (connecting_) {
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length);
        if (error == 0 && (revents & (POLLERR | POLLHUP)) != 0)
            error = ECONNREFUSED;
        connecting_ = false;
        if (error != 0) {
            // The socket stays until the next Connect or Close, as a failed connect does.
            loop_.Unwatch(fd_);
            if (listener_ != nullptr)
                listener_->OnConnected(error);
            return;
        }
        UpdateEvents();
        if (listener_ != nullptr)
            listener_->OnConnected(0);
        return;
    }
    const std::uint64_t generation = generation_;
    if ((revents & POLLOUT) != 0)
        Flush();
    if (generation != generation_ || fd_ < 0)
        return;
    if ((revents & POLLIN) != 0) {
        if (listener_ != nullptr)
            listener_->OnReadable();
    } else if ((revents & (POLLERR | POLLHUP)) != 0) {
        Fail();
    }
}

void PosixTcpTransport::Send(std::span<const char> bytes) {
    if (fd_ < 0 || connecting_)
        return;
    if (queued_.size() - queuedFrom_ + bytes.size() > kMaxQueuedBytes) {
        // Post rather than call: a send never calls back into its caller.
        const std::uint64_t generation = generation_;
        loop_.Post([this, generation] {
            if (generation == generation_)
                Fail();
        });
        return;
    }
    queued_.insert(queued_.end(), bytes.begin(), bytes.end());
}

void PosixTcpTransport::Flush() {
    const bool wasWaiting = waitingForRoom_;
    waitingForRoom_ = false;
    while (queuedFrom_ < queued_.size()) {
        const ssize_t sent = ::send(fd_, queued_.data() + queuedFrom_, queued_.size() - queuedFrom_,
                                    MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0) {
            waitingForRoom_ = true;
            break;
        }
        queuedFrom_ += static_cast<std::size_t>(sent);
    }
    if (queuedFrom_ == queued_.size()) {
        queued_.clear();  // keeps its capacity for the next turn
        queuedFrom_ = 0;
    } else if (queuedFrom_ > queued_.size() / 2) {
        queued_.erase(queued_.begin(), queued_.begin() + static_cast<std::ptrdiff_t>(queuedFrom_));
        queuedFrom_ = 0;
    }
    if (waitingForRoom_ != wasWaiting)
        UpdateEvents();
}

void PosixTcpTransport::UpdateEvents() {
    if (fd_ < 0)
        return;
    const short events = static_cast<short>(POLLIN | (waitingForRoom_ ? POLLOUT : 0));
    loop_.Watch(fd_, events, [this](short revents) { OnEvents(revents); });
}

ReceiveResult PosixTcpTransport::Receive(std::span<char> into) {
    if (fd_ < 0 || connecting_ || into.empty())
        return {};
    const ssize_t count = ::recv(fd_, into.data(), into.size(), MSG_DONTWAIT);
    // A stream socket fills the whole room while it has bytes: a shorter read emptied it.
    if (count > 0)
        return {ReceiveResult::Kind::Data, static_cast<std::size_t>(count),
                static_cast<std::size_t>(count) < into.size()};
    if (count == 0)
        return {ReceiveResult::Kind::Closed, 0};
    if (errno == EAGAIN || errno == EINTR)
        return {};
    return {ReceiveResult::Kind::Error, 0};
}

void PosixTcpTransport::Fail() {
    Close();
    if (listener_ != nullptr)
        listener_->OnClosed();
}

void PosixTcpTransport::Close() {
    // What this turn queued was sent as far as the caller knows (a restart request right before
    // the link is closed): it goes out now, as it would have at the end of the turn.
    if (fd_ >= 0 && !connecting_ && !waitingForRoom_ && queuedFrom_ < queued_.size())
        Flush();
    ++generation_;
    connecting_ = false;
    queued_.clear();
    queuedFrom_ = 0;
    waitingForRoom_ = false;
    if (fd_ < 0)
        return;
    loop_.Unwatch(fd_);
    ::shutdown(fd_, SHUT_WR);
    ::close(fd_);
    fd_ = -1;
}

}  // namespace velmar
