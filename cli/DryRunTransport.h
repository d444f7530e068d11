#pragma once

#include <ostream>

#include "device/LineTransport.h"

namespace velmar {

// Passes everything through until Hold(); from then on the lines the console would send are
// printed, one per line, and nothing more reaches the frame. A dry run reads the frame as usual
// and holds back only what would change it.
class DryRunTransport final : public LineTransport {
  public:
    DryRunTransport(LineTransport& inner, std::ostream& out) : inner_(inner), out_(out) {}

    void Hold() { holding_ = true; }

    void SetListener(TransportListener* listener) override { inner_.SetListener(listener); }
    int Connect(std::uint32_t address, std::uint16_t port) override { return inner_.Connect(address, port); }
    void Send(std::span<const char> bytes) override;
    ReceiveResult Receive(std::span<char> into) override { return inner_.Receive(into); }
    void Close() override { inner_.Close(); }
    bool IsOpen() const override { return inner_.IsOpen(); }

  private:
    LineTransport& inner_;
    std::ostream& out_;
    bool holding_ = false;
};

}  // namespace velmar
