#pragma once

#include <chrono>
#include <map>
#include <string>
#include <string_view>

#include "device/EventHub.h"
#include "device/Session.h"

namespace velmar {

// Follows the health of one frame over its own connection: reads only the health words, keeps
// the link alive, follows the frame's notifications and never sends a set. Every change is
// published on the rack's hub as HealthChanged. A frame that cannot be reached, or is lost, is a
// change of its link; the watch then tries again every kRetry for as long as it lives.
class FrameWatch {
  public:
    static constexpr std::chrono::milliseconds kRetry{5000};

    FrameWatch(LineTransport& transport, DatagramSocket& datagrams, TimerService& timers, LinkPorts ports,
               EventHub& rack, std::string address, DeviceMode mode = DeviceMode::Application);
    FrameWatch(const FrameWatch&) = delete;
    FrameWatch& operator=(const FrameWatch&) = delete;

    void Start();
    const std::string& Address() const { return address_; }
    // The last value of a health item ("psu1" ...), empty while it is not known.
    std::string Value(std::string_view what) const;
    const Session& Connection() const { return session_; }

  private:
    void Change(std::string_view what, std::string to);
    void LinkDown(std::string_view how);
    void Connect();

    TimerService& timers_;
    EventHub& rack_;
    std::string address_;
    DeviceMode mode_;
    Session session_;
    std::map<std::string, std::string, std::less<>> values_;
    // A supply's or fan's status means something only once the frame said which are fitted: a
    // notification that overtakes that answer would report a fitted supply as missing.
    bool psuConfKnown_ = false;
    bool fanConfKnown_ = false;
    Subscriptions subscriptions_;
    TimerHandle retry_;
};

}  // namespace velmar
