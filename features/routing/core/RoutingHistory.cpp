#include "features/routing/core/RoutingHistory.h"

#include "features/routing/core/ChannelNames.h"

namespace velmar {
namespace {

std::string Describe(const std::vector<RouteChange>& batch) {
    if (batch.size() == 1)
        return ChangeText(batch.front());
    std::vector<std::int32_t> outputs;
    for (const RouteChange& change : batch)
        outputs.push_back(change.output);
    return std::to_string(batch.size()) + " crosspoints: " + ChannelListText(outputs);
}

}  // namespace

void RoutingHistory::Record(std::span<const Crosspoint> sent, const CrosspointTable& live,
                            std::int32_t channelCount) {
    Batch batch;
    for (const Crosspoint& c : sent) {
        const std::int32_t now = LiveInput(live, channelCount, c.output);
        if (now != c.input)
            batch.push_back({c.output, now, c.input});
    }
    if (batch.empty())
        return;
    redo_.clear();
    undo_.push_back(std::move(batch));
    if (undo_.size() > depth_)
        undo_.erase(undo_.begin());
}

RoutingHistory::Step RoutingHistory::Take(std::vector<Batch>& from, std::vector<Batch>& to, bool undo,
                                          const CrosspointTable& live, std::int32_t channelCount,
                                          const Waiting& waiting) {
    Step step;
    if (from.empty()) {
        step.refusal = undo ? "Nothing to undo." : "Nothing to redo.";
        return step;
    }
    const Batch& batch = from.back();
    const char* verb = undo ? "Not undone: " : "Not redone: ";
    // Until the frame answers, the live routing is not what it will be: measuring against it
    // would call our own change someone else's.
    for (const RouteChange& change : batch) {
        if (waiting && waiting(change.output)) {
            step.refusal = verb + ChannelText(change.output) +
                           " is still waiting for the frame to answer; try again once it has.";
            step.output = change.output;
            return step;
        }
    }
    for (const RouteChange& change : batch) {
        const std::int32_t expected = undo ? change.to : change.from;
        const std::int32_t now = LiveInput(live, channelCount, change.output);
        if (now != expected) {
            step.refusal = verb + ChannelText(change.output) + " is fed from " + SourceText(now) +
                           " now, not " + SourceText(expected) + "; its routing changed on the frame since.";
            step.output = change.output;
            return step;
        }
    }
    // Taken back last first, so an output named twice ends where it began.
    if (undo) {
        for (auto it = batch.rbegin(); it != batch.rend(); ++it)
            step.send.push_back({it->output, it->from});
    } else {
        for (const RouteChange& change : batch)
            step.send.push_back({change.output, change.to});
    }
    step.description = (undo ? "Undo " : "Redo ") + Describe(batch);
    to.push_back(batch);
    from.pop_back();
    return step;
}

RoutingHistory::Step RoutingHistory::Undo(const CrosspointTable& live, std::int32_t channelCount,
                                          const Waiting& waiting) {
    return Take(undo_, redo_, true, live, channelCount, waiting);
}

RoutingHistory::Step RoutingHistory::Redo(const CrosspointTable& live, std::int32_t channelCount,
                                          const Waiting& waiting) {
    return Take(redo_, undo_, false, live, channelCount, waiting);
}

void RoutingHistory::Clear() {
    undo_.clear();
    redo_.clear();
}

}  // namespace velmar
