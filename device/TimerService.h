#pragma once

#include <chrono>
#include <cstdint>

namespace velmar {

// The console's timers by number. 5..11 are the main window's; the ones above are the core's own
// waits that the platform would otherwise have spent blocked.
enum class TimerId : std::uint8_t {
    Stepper = 5,          // 1 ms, repeating: one crosspoint stepper step
    KeepAlive = 6,        // 5000 ms, repeating
    StatePoll = 7,        // 300 / 1000 / 100 ms
    FirmwareEnd = 8,      // 1000 / 10000 / 0 ms
    Discovery = 9,        // 200 ms after the last discovery answer
    DeviceReload = 10,    // 600 / 100 ms
    CardRequests = 11,    // 200 ms
    EchoPeek = 12,        // 50 ms between looks for the echo probe's answer
    ReconnectPause = 13,  // 200 ms between closing a link and opening the next
};

// Receives expiries. Every timer except the repeating ones is started again by its handler when
// it is wanted again; the service itself never stops a timer on expiry unless it is one-shot.
class TimerListener {
  public:
    virtual void OnTimer(TimerId id) = 0;

  protected:
    ~TimerListener() = default;
};

// Time reaches the core only through this. Starting a running timer restarts it with the new
// interval. Expiries are delivered on the caller's loop, never inside Start or Stop.
class TimerService {
  public:
    virtual ~TimerService() = default;
    virtual void SetListener(TimerListener* listener) = 0;
    virtual void Start(TimerId id, std::chrono::milliseconds interval, bool repeating) = 0;
    virtual void Stop(TimerId id) = 0;
};

}  // namespace velmar
