#pragma once

#include "device/DatagramSocket.h"
#include "device/posix/PosixEventLoop.h"

namespace velmar {

class PosixDatagramSocket final : public DatagramSocket {
  public:
    explicit PosixDatagramSocket(PosixEventLoop& loop) : loop_(loop) {}
    ~PosixDatagramSocket() override { Close(); }
    PosixDatagramSocket(const PosixDatagramSocket&) = delete;
    PosixDatagramSocket& operator=(const PosixDatagramSocket&) = delete;

    bool Open() override;
    std::optional<std::size_t> SendTo(std::uint32_t address, std::uint16_t port,
                                      std::span<const char> bytes) override;
    std::optional<std::size_t> TryReceive(std::span<char> into) override;
    void Close() override;
    void SetReadableCallback(std::function<void()> callback) override;

  private:
    void Watch();

    PosixEventLoop& loop_;
    std::function<void()> readable_;
    int fd_ = -1;
};

}  // namespace velmar
