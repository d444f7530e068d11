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

    // What a preview runs with: the sections and network choice of the window.
    struct Preview {
        std::vector<std::string> sections;
        bool network = false;
    };

    ShowFrames(ConsoleCore& core, const std::vector<Target>& targets, std::string file);
    // A preview of an apply: each frame gets a session of its own whose link is held once the frame
    // is compared; its run then writes every request into it and ends Done, and nothing reaches
    // the frame.
    ShowFrames(ConsoleCore& core, const std::vector<Target>& targets, std::string file, Preview preview);

    std::size_t Size() const { return runs_.size(); }
    ShowFrameRun& Run(std::size_t i) { return *runs_[i]; }
    const std::string& Address(std::size_t i) const { return addresses_[i]; }
    // Every run has compared (or captured), or failed.
    bool Ready() const;
    bool Finished() const;  // every run done or failed
    // A preview's frame: the lines its run wrote, as they would have left.
    const std::vector<std::string>& Held(std::size_t i) const { return held_[i]->lines; }
    std::function<void()> changed;

  private:
    struct HeldLines {
        bool writing = false;  // only the run's own lines, not a poll the held link took
        std::vector<std::string> lines;
    };

    void Add(ConsoleCore& core, const Target& target, const std::string& file, const Preview* preview);

    QtTimerService timers_;
    std::vector<FrameSessions::Lease> leases_;
    std::vector<std::string> addresses_;
    std::vector<std::unique_ptr<ShowFrameRun>> runs_;
    std::vector<std::shared_ptr<HeldLines>> held_;
};

}  // namespace velmar
