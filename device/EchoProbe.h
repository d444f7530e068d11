#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "device/DatagramSocket.h"
#include "device/TimerService.h"

namespace velmar {

// Is a frame there? One "ZEL Echo" datagram to its echo port, then a look for the answer at once
// and every 50 ms until the limit. Runs on the caller's loop through the timer service.
class EchoProbe {
  public:
    using Done = std::function<void(bool answered)>;

    EchoProbe(DatagramSocket& socket, TimerService& timers) : socket_(socket), timers_(timers) {}

    // `done` is called exactly once, possibly before Start returns (no socket, send failed).
    void Start(std::uint32_t address, std::uint16_t port, std::chrono::milliseconds limit, Done done);
    void Cancel();
    bool Running() const { return static_cast<bool>(done_); }

  private:
    void OnPeekTimer();
    bool Peek();  // true when an answer (right or wrong) was taken
    void Finish(bool answered);

    DatagramSocket& socket_;
    TimerService& timers_;
    Done done_;
    TimerHandle peek_;
    int peeksLeft_ = 0;
    bool answerMatched_ = false;
};

}  // namespace velmar
