#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "device/EchoProbe.h"
#include "device/TimerService.h"

namespace velmar {

// After a lost link, asks the frame's echo port once a second whether it is back, and
// reconnects when it answers, if the operator chose that. Only the echo is asked: a frame that
// is restarting must not see connection attempts until it can take them.
class ReturnWatch {
  public:
    static constexpr std::chrono::milliseconds kLookInterval{1000};

    ReturnWatch(EchoProbe& probe, TimerService& timers, std::uint16_t echoPort,
                std::function<void()> reconnect)
        : probe_(probe), timers_(timers), echoPort_(echoPort), reconnect_(std::move(reconnect)) {}

    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    // Starts looking for the frame at `address` (when enabled, or as soon as it is).
    void Watch(std::uint32_t address);
    // Forgets the lost frame: a connect was made.
    void Stop();

  private:
    void StartLooking();
    void Look();

    EchoProbe& probe_;
    TimerService& timers_;
    std::uint16_t echoPort_;
    std::function<void()> reconnect_;
    bool enabled_ = false;
    std::uint32_t address_ = 0;
    TimerHandle look_;
    TimerHandle reconnectSoon_;
};

}  // namespace velmar
