#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "device/EventHub.h"
#include "device/Session.h"
#include "features/watch/core/WatchLink.h"

namespace velmar {

// Follows the health of one frame: reads only the health words, keeps the link alive, follows
// the frame's notifications and never sends a set. Every change is published on the rack's hub
// as HealthChanged. A frame that cannot be reached, or is lost, is a change of its link; the watch
// then tries again every kRetry for as long as it lives.
//
// Given the console's focused session, the watch never opens a second link to the frame that
// session is connected to: it follows the focused session's events instead and drops its own
// link, and takes its own link up again when the focus moves or the focused link is lost.
class FrameWatch {
  public:
    static constexpr std::chrono::milliseconds kRetry{5000};

    // A watch on a session of its own over the given sockets (velmar-cli).
    FrameWatch(LineTransport& transport, DatagramSocket& datagrams, TimerService& timers, LinkPorts ports,
               EventHub& rack, std::string address, DeviceMode mode = DeviceMode::Application);
    // A watch whose own link comes from `open`, sharing `focused` while it is on this frame.
    FrameWatch(WatchLinkOpener open, TimerService& timers, EventHub& rack, std::string address,
               DeviceMode mode = DeviceMode::Application, Session* focused = nullptr);
    ~FrameWatch();
    FrameWatch(const FrameWatch&) = delete;
    FrameWatch& operator=(const FrameWatch&) = delete;

    void Start();
    const std::string& Address() const { return address_; }
    DeviceMode Mode() const { return mode_; }
    // The last value of a health item ("psu1" ...), empty while it is not known.
    std::string Value(std::string_view what) const;
    // Whether the watch follows the focused session rather than a link of its own.
    bool SharesFocused() const { return focused_ != nullptr && following_ == focused_; }
    // Whether it holds a link of its own now.
    bool HasOwnLink() const { return own_ != nullptr; }

  private:
    void Follow(Session& session);
    void UseOwnLink();
    void DropOwnLink();
    void FocusMoved();
    bool FocusedIsHere() const;
    bool PsuConfKnown() const;
    bool FanConfKnown() const;
    void Supply(std::int32_t supply);
    void Fan(std::int32_t fan);
    void Change(std::string_view what, std::string to);
    void LinkDown(std::string_view how);
    void Connect();

    WatchLinkOpener open_;
    TimerService& timers_;
    EventHub& rack_;
    std::string address_;
    std::uint32_t ip_ = 0;
    DeviceMode mode_;
    Session* focused_;
    std::unique_ptr<WatchLink> own_;
    Session* following_ = nullptr;
    bool started_ = false;
    std::map<std::string, std::string, std::less<>> values_;
    // A supply's or fan's status means something only once the frame said which are fitted: a
    // notification that overtakes that answer would report a fitted supply as missing. Seen on
    // the watch's own link; the focused session's records are not the watch's to observe.
    bool psuConfKnown_ = false;
    bool fanConfKnown_ = false;
    Subscriptions subscriptions_;
    Subscription focus_;
    TimerHandle retry_;
};

}  // namespace velmar
