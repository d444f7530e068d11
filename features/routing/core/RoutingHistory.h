#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "features/routing/core/RouteChanges.h"

namespace velmar {

// Undo and redo of the routing changes this console sent. A step is only taken back while the
// frame still routes its outputs as this console left them: anyone else's change since then
// wins, and the step is refused with the reason.
class RoutingHistory {
  public:
    // What an undo or redo sends, or why it sends nothing.
    struct Step {
        std::vector<Crosspoint> send;
        std::string refusal;
        std::string description;  // what the step did, for the log
        std::int32_t output = 0;  // the output a refusal is about
    };
    // Whether an output still waits for the frame to answer a change.
    using Waiting = std::function<bool(std::int32_t output)>;

    explicit RoutingHistory(std::size_t depth = 100) : depth_(depth) {}

    // Before `sent` goes to the frame: remembers what its outputs were fed from. Drops the redo
    // steps, as any new change does.
    void Record(std::span<const Crosspoint> sent, const CrosspointTable& live, std::int32_t channelCount);
    Step Undo(const CrosspointTable& live, std::int32_t channelCount, const Waiting& waiting = {});
    Step Redo(const CrosspointTable& live, std::int32_t channelCount, const Waiting& waiting = {});

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // A new frame or link: the steps no longer describe its routing.
    void Clear();

  private:
    using Batch = std::vector<RouteChange>;
    static Step Take(std::vector<Batch>& from, std::vector<Batch>& to, bool undo, const CrosspointTable& live,
                     std::int32_t channelCount, const Waiting& waiting);

    std::size_t depth_;
    std::vector<Batch> undo_;
    std::vector<Batch> redo_;
};

}  // namespace velmar
