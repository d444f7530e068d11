#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device/DeviceState.h"
#include "device/FrameCapabilities.h"
#include "features/routing/core/CrosspointTable.h"

namespace velmar {

// The rows of the crosspoint status list: which outputs it shows, under which filter, in which
// order. A row stands for a connected output; its texts come from the frame state when shown.
class CrosspointList {
  public:
    static constexpr std::int32_t kFilterCount = 15;  // ALL, CARD1..8, AES, PHD, MADI, SFP1, SFP2, IP
    static constexpr std::int32_t kRebuild = -1;
    static constexpr std::int32_t kInputColumn = 1;
    static constexpr std::int32_t kOutputColumn = 2;

    // What a refresh did, so that a view can follow row by row instead of starting over.
    struct Change {
        bool rebuilt = false;
        std::optional<std::size_t> removedRow;
        bool appended = false;
    };

    // Re-shows one output (its row moves to the end) or, for kRebuild, rebuilds every row in the
    // current order. `order` is the column that asked; asking twice in a row returns to output order.
    Change Refresh(std::int32_t output, std::int32_t order, const CrosspointTable& crosspoints,
                   std::int32_t channelCount);

    // The filter header's click: the next filter that applies to this frame. Returns false when
    // the frame has no matrix and the header stays empty.
    bool AdvanceFilter(const DeviceState& state, const FrameCapabilities& capabilities);

    std::string FilterText() const;
    std::int32_t Filter() const { return filter_; }
    bool ShowsAll() const { return filter_ == 0; }
    bool InputOrder() const { return order_ == 0 || order_ == 1; }
    const std::vector<std::int32_t>& Rows() const { return rows_; }
    void Clear() { rows_.clear(); }

  private:
    struct Range {
        std::int32_t first;
        std::int32_t last;
    };
    std::vector<Range> Ranges(std::int32_t channelCount) const;
    static bool FilterApplies(std::int32_t filter, const DeviceState& state,
                              const FrameCapabilities& capabilities);

    std::int32_t filter_ = 0;  // kept across connections
    std::int32_t order_ = 0;
    std::vector<std::int32_t> rows_;
};

}  // namespace velmar
