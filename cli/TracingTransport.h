#pragma once

#include <chrono>
#include <ostream>
#include <string>

#include "device/LineTransport.h"

namespace velmar {

// Wraps the link's transport and prints every protocol line that passes, either way, with the
// time since the trace began: an engineer's view of the conversation.
class TracingTransport final : public LineTransport, private TransportListener {
  public:
    TracingTransport(LineTransport& inner, std::ostream& out);

    void SetListener(TransportListener* listener) override { listener_ = listener; }
    int Connect(std::uint32_t address, std::uint16_t port) override;
    void Send(std::span<const char> bytes) override;
    ReceiveResult Receive(std::span<char> into) override;
    void Close() override;
    bool IsOpen() const override { return inner_.IsOpen(); }

  private:
    void OnConnected(int error) override;
    void OnReadable() override { listener_->OnReadable(); }
    void OnClosed() override;

    void Emit(char direction, std::string& pending, std::span<const char> bytes);
    void Line(const std::string& text);

    LineTransport& inner_;
    std::ostream& out_;
    TransportListener* listener_ = nullptr;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::string sentPending_;
    std::string receivedPending_;
};

}  // namespace velmar
