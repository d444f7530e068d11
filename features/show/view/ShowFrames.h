#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "console/FrameSessions.h"
#include "features/show/core/ShowFrameRun.h"
#include "platform/qt/QtTimerService.h"

namespace velmar {

class ConsoleCore;

// The frames a show window works on: a lease of each frame's session from the console core
// (the focused frame's is shared) and a run on it. Everything goes with the window.
class ShowFrames {
  public:
    struct Target {
        std::string address;
        const ShowFrame* show = nullptr;  // null: capture only
    };

    ShowFrames(ConsoleCore& core, const std::vector<Target>& targets, std::string file);

    std::size_t Size() const { return runs_.size(); }
    ShowFrameRun& Run(std::size_t i) { return *runs_[i]; }
    const std::string& Address(std::size_t i) const { return addresses_[i]; }
    // Every run has compared (or captured), or failed.
    bool Ready() const;
    bool Finished() const;  // every run done or failed
    std::function<void()> changed;

  private:
    QtTimerService timers_;
    std::vector<FrameSessions::Lease> leases_;
    std::vector<std::string> addresses_;
    std::vector<std::unique_ptr<ShowFrameRun>> runs_;
};

}  // namespace velmar
