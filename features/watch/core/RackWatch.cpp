#include "features/watch/core/RackWatch.h"

namespace velmar {

RackWatch::RackWatch(WatchLinkOpener open, TimerService& timers, Session* focused)
    : open_(std::move(open)), timers_(timers), focused_(focused) {}

void RackWatch::Watch(const std::string& address, DeviceMode mode) {
    if (const auto found = watches_.find(address); found != watches_.end()) {
        if (found->second->Mode() == mode)
            return;
        watches_.erase(found);
    }
    auto watch = std::make_unique<FrameWatch>(open_, timers_, hub_, address, mode, focused_);
    FrameWatch& started = *watch;
    watches_.emplace(address, std::move(watch));
    started.Start();
}

void RackWatch::Unwatch(std::string_view address) {
    if (const auto found = watches_.find(address); found != watches_.end())
        watches_.erase(found);
}

const FrameWatch* RackWatch::Find(std::string_view address) const {
    const auto found = watches_.find(address);
    return found == watches_.end() ? nullptr : found->second.get();
}

}  // namespace velmar
