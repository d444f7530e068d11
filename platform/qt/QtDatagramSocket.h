#pragma once

#include <QUdpSocket>
#include <memory>

#include "device/DatagramSocket.h"

namespace velmar {

// The echo probe's UDP socket on Qt. TryReceive looks at the operating system's queue directly,
// so it works between two turns of the event loop without waiting for a notification.
class QtDatagramSocket final : public DatagramSocket {
  public:
    bool Open() override;
    std::optional<std::size_t> SendTo(std::uint32_t address, std::uint16_t port,
                                      std::span<const char> bytes) override;
    std::optional<std::size_t> TryReceive(std::span<char> into) override;
    void Close() override { socket_.reset(); }
    void SetReadableCallback(std::function<void()> callback) override;

  private:
    void WatchReadable();

    std::unique_ptr<QUdpSocket> socket_;
    std::function<void()> readable_;
};

}  // namespace velmar
