#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/LineTransport.h"
#include "device/posix/PosixEventLoop.h"

namespace velmar {

// A non-blocking TCP socket driven by a PosixEventLoop.
class PosixTcpTransport final : public LineTransport {
  public:
    // What a frame that stops reading may leave queued; beyond it the link is dropped.
    static constexpr std::size_t kMaxQueuedBytes = 4u << 20;

    // Bytes sent during a turn of the loop leave together at its end: a burst of requests is one
    // system call, and a lone request waits for nothing but the rest of its turn.
    explicit PosixTcpTransport(PosixEventLoop& loop) : loop_(loop) {
        loop_.AtTurnEnd(this, [this] {
            if (fd_ >= 0 && !connecting_ && !queued_.empty() && !waitingForRoom_)
                Flush();
        });
    }
    ~PosixTcpTransport() override;
    PosixTcpTransport(const PosixTcpTransport&) = delete;
    PosixTcpTransport& operator=(const PosixTcpTransport&) = delete;

    void SetListener(TransportListener* listener) override { listener_ = listener; }
    int Connect(std::uint32_t address, std::uint16_t port) override;
    void Send(std::span<const char> bytes) override;
    ReceiveResult Receive(std::span<char> into) override;
    void Close() override;
    bool IsOpen() const override { return fd_ >= 0; }

  private:
    void OnEvents(short revents);
    void Flush();
    void UpdateEvents();
    void Fail();

    PosixEventLoop& loop_;
    TransportListener* listener_ = nullptr;
    int fd_ = -1;
    bool connecting_ = false;
    std::vector<char> queued_;
    std::size_t queuedFrom_ = 0;   // what of queued_ has gone out already
    bool waitingForRoom_ = false;  // the socket took less than offered: POLLOUT says when to go on
    std::uint64_t generation_ = 0;
};

}  // namespace velmar
