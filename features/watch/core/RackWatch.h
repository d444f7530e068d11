#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "device/EventHub.h"
#include "device/Session.h"
#include "features/watch/core/FrameWatch.h"
#include "features/watch/core/WatchLink.h"

namespace velmar {

// The frames of a rack that are watched, each by its own FrameWatch, all publishing on one hub.
// Given the focused session, a watch on the focused frame shares its link.
class RackWatch {
  public:
    RackWatch(WatchLinkOpener open, TimerService& timers, Session* focused = nullptr);
    RackWatch(const RackWatch&) = delete;
    RackWatch& operator=(const RackWatch&) = delete;

    EventHub& Hub() { return hub_; }
    // Starts watching the frame; a frame watched in another mode (it restarted into recovery)
    // is watched anew.
    void Watch(const std::string& address, DeviceMode mode);
    void Unwatch(std::string_view address);
    const FrameWatch* Find(std::string_view address) const;
    std::size_t Count() const { return watches_.size(); }

  private:
    WatchLinkOpener open_;
    TimerService& timers_;
    Session* focused_;
    EventHub hub_;
    std::map<std::string, std::unique_ptr<FrameWatch>, std::less<>> watches_;
};

}  // namespace velmar
