#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "device/discovery/DeviceEntry.h"

namespace velmar {

// The frames the console knows, in the order the device list shows them. Rows come from
// discovery answers and from the saved devices; both take the same road through Update.
class DeviceList {
  public:
    // Anyone on the network can answer a broadcast; past this many frames new addresses are
    // ignored so that a flood cannot grow the list without bound.
    static constexpr std::size_t kMaxRows = 1024;

    struct Outcome {
        bool changed = false;    // rows were added, removed or moved
        bool goingAway = false;  // the frame answered with "!": a link to it is to be closed
        std::uint32_t address = 0;
    };

    // A discovery answer replaces the frame's row (the row moves to the end). A saved-device
    // entry leaves a row that already shows a name alone.
    Outcome Update(std::string_view entry, bool fromProfile);

    void Clear() { rows_.clear(); }
    void RemoveAt(std::size_t index);
    // Replaces one column of the frame's row (the connected frame's name and identity as it
    // reports them); false when the frame has no row.
    bool SetText(std::uint32_t address, DeviceColumn column, std::string text);
    // Index of the row of `address`, if there is one.
    std::optional<std::size_t> Find(std::uint32_t address) const;

    const std::vector<DeviceRow>& Rows() const { return rows_; }
    std::size_t Size() const { return rows_.size(); }

  private:
    std::vector<DeviceRow> rows_;
};

}  // namespace velmar
