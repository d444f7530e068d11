#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "device/DeviceState.h"
#include "features/routing/core/CrosspointFile.h"
#include "features/routing/core/CrosspointTable.h"

namespace velmar {

// The crosspoints that a routing action sends, in sending order. Channels outside the frame are
// skipped without a word; in stereo every pair also routes its right channel.
class RoutingActions {
  public:
    RoutingActions(std::int32_t channelCount, bool stereo) : channelCount_(channelCount), stereo_(stereo) {}

    // One input feeds every selected output; otherwise the k-th input feeds the k-th output.
    std::vector<Crosspoint> Connect(std::span<const std::int32_t> inputs,
                                    std::span<const std::int32_t> outputs) const;
    std::vector<Crosspoint> Disconnect(std::span<const std::int32_t> outputs) const;
    // The list's own "Disconnect": the selected rows' outputs, last collected first, mono only.
    std::vector<Crosspoint> DisconnectRows(std::span<const std::int32_t> rowOutputs) const;

  private:
    bool Inside(std::int32_t channel) const { return channel >= 1 && channel <= channelCount_; }
    void Add(std::vector<Crosspoint>& out, std::int32_t output, std::int32_t input) const;

    std::int32_t channelCount_;
    bool stereo_;
};

// What a snapshot file holds: the selected rows (every line indexed 1), the rows of a filtered
// list in their order, or every connected output ascending.
struct CrosspointSnapshot {
    std::vector<Crosspoint> crosspoints;
    CrosspointFile::Index index = CrosspointFile::Index::Counting;
};
CrosspointSnapshot SnapshotToSave(const CrosspointTable& live, std::int32_t channelCount,
                                  std::span<const std::int32_t> listedRows, bool listFiltered,
                                  std::optional<std::span<const std::int32_t>> selectedRows);

}  // namespace velmar
