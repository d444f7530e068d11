#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "device/discovery/ProfileStore.h"

namespace velmar {

// The frames added by address, in the order they were added, and their place in the profile:
// section "Devices", key "Count", and one key per entry named "DeviceX" with the X replaced by
// the character '1' + index -- Device1 .. Device9, then Device:, Device; and so on.
class SavedDevices {
  public:
    // The key characters run from '1' up to 'Z'; the next one would be a backslash, which
    // profile stores take for a path separator.
    static constexpr std::size_t kMaxEntries = 'Z' - '1' + 1;

    static std::string KeyFor(std::size_t index);

    // Replaces the list with the profile's entries. A foreign or damaged profile gives what can
    // be read: a bad count reads as 0, a huge one is capped, and entries that are not dotted
    // IPv4 addresses are skipped.
    void Load(const ProfileStore& profile);
    // Writes "Count" and then every entry; false when the count could not be written.
    bool Save(ProfileStore& profile) const;

    // False when the list is full.
    bool Add(std::string address);
    // Removes the first entry equal to `address`; false when there is none.
    bool Remove(std::string_view address);
    bool Contains(std::string_view address) const;

    const std::vector<std::string>& Entries() const { return entries_; }
    bool Full() const { return entries_.size() >= kMaxEntries; }

  private:
    std::vector<std::string> entries_;
};

}  // namespace velmar
