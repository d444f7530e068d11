#include "device/discovery/DeviceList.h"

#include <algorithm>
#include <iterator>

namespace velmar {

DeviceList::Outcome DeviceList::Update(std::string_view entry, bool fromProfile) {
    DeviceEntry parsed = DeviceEntry::Parse(entry);
    Outcome outcome;
    if (!parsed.valid)
        return outcome;
    outcome.address = parsed.row.address;
    outcome.goingAway = parsed.goingAway;
    if (const auto existing = Find(parsed.row.address)) {
        if (fromProfile && !rows_[*existing].Column(DeviceColumn::Name).empty())
            return outcome;
        RemoveAt(*existing);
        outcome.changed = true;
    }
    if (rows_.size() >= kMaxRows)
        return outcome;
    rows_.push_back(std::move(parsed.row));
    outcome.changed = true;
    return outcome;
}

void DeviceList::RemoveAt(std::size_t index) {
    if (index < rows_.size())
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
}

bool DeviceList::SetText(std::uint32_t address, DeviceColumn column, std::string text) {
    const auto row = Find(address);
    if (!row)
        return false;
    rows_[*row].Column(column) = std::move(text);
    return true;
}

std::optional<std::size_t> DeviceList::Find(std::uint32_t address) const {
    const auto it = std::find_if(rows_.begin(), rows_.end(),
                                 [address](const DeviceRow& row) { return row.address == address; });
    if (it == rows_.end())
        return std::nullopt;
    return static_cast<std::size_t>(std::distance(rows_.begin(), it));
}

}  // namespace velmar
