#include "features/routing/core/RoutingActions.h"

#include <algorithm>
#include <numeric>

namespace velmar {

void RoutingActions::Add(std::vector<Crosspoint>& out, std::int32_t output, std::int32_t input) const {
    out.push_back({output, input});
    // The right channel of a pair must still be a channel of the frame.
    if (stereo_ && Inside(output + 1) && (input == 0 || Inside(input + 1))) {
        out.push_back({output + 1, input == 0 ? 0 : input + 1});
    }
}

std::vector<Crosspoint> RoutingActions::Connect(std::span<const std::int32_t> inputs,
                                                std::span<const std::int32_t> outputs) const {
    std::vector<Crosspoint> out;
    if (inputs.size() == 1) {
        for (const std::int32_t output : outputs) {
            if (Inside(output) && Inside(inputs[0]))
                Add(out, output, inputs[0]);
        }
        return out;
    }
    for (std::size_t k = 0; k < std::min(inputs.size(), outputs.size()); ++k) {
        if (Inside(outputs[k]) && Inside(inputs[k]))
            Add(out, outputs[k], inputs[k]);
    }
    return out;
}

std::vector<Crosspoint> RoutingActions::Disconnect(std::span<const std::int32_t> outputs) const {
    std::vector<Crosspoint> out;
    for (const std::int32_t output : outputs) {
        if (Inside(output))
            Add(out, output, 0);
    }
    return out;
}

std::vector<Crosspoint> RoutingActions::DisconnectRows(std::span<const std::int32_t> rowOutputs) const {
    std::vector<Crosspoint> out;
    for (auto it = rowOutputs.rbegin(); it != rowOutputs.rend(); ++it) {
        if (Inside(*it))
            out.push_back({*it, 0});
    }
    return out;
}

CrosspointSnapshot SnapshotToSave(const CrosspointTable& live, std::int32_t channelCount,
                                  std::span<const std::int32_t> listedRows, bool listFiltered,
                                  std::optional<std::span<const std::int32_t>> selectedRows) {
    CrosspointSnapshot snapshot;
    const std::int32_t count =
        std::min<std::int32_t>(channelCount, static_cast<std::int32_t>(kChannelTableSize));
    auto input = [&](std::int32_t output) { return live[static_cast<std::size_t>(output - 1)]; };
    // A row whose output was disconnected meanwhile is left out: a file holds connected outputs only.
    auto addRows = [&](std::span<const std::int32_t> rows) {
        for (const std::int32_t output : rows) {
            if (output >= 1 && output <= count && input(output) > 0)
                snapshot.crosspoints.push_back({output, input(output)});
        }
    };
    if (selectedRows) {
        snapshot.index = CrosspointFile::Index::AllOne;
        addRows(*selectedRows);
    } else if (listFiltered) {
        addRows(listedRows);
    } else {
        std::vector<std::int32_t> everyOutput(static_cast<std::size_t>(std::max(count, 0)));
        std::iota(everyOutput.begin(), everyOutput.end(), 1);
        addRows(everyOutput);
    }
    return snapshot;
}

}  // namespace velmar
