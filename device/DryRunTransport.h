#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "device/LineTransport.h"

namespace velmar {

// Passes everything through until Hold(); from then on each line the console would send is handed
// to `held` (without its end) and nothing more reaches the frame. A dry run or a preview reads the
// frame as usual and holds back only what would change it.
class DryRunTransport final : public LineTransport {
  public:
    using HeldLine = std::function<void(std::string_view line)>;

    DryRunTransport(LineTransport& inner, HeldLine held) : inner_(inner), held_(std::move(held)) {}

    void Hold() { holding_ = true; }
    bool Holding() const { return holding_; }

    void SetListener(TransportListener* listener) override { inner_.SetListener(listener); }
    int Connect(std::uint32_t address, std::uint16_t port) override { return inner_.Connect(address, port); }
    void Send(std::span<const char> bytes) override;
    ReceiveResult Receive(std::span<char> into) override { return inner_.Receive(into); }
    void Close() override { inner_.Close(); }
    bool IsOpen() const override { return inner_.IsOpen(); }

  private:
    LineTransport& inner_;
    HeldLine held_;
    std::string pending_;  // a line whose end has not been written yet
    bool holding_ = false;
};

}  // namespace velmar
