#include "device/discovery/SavedDevices.h"

#include <algorithm>
#include <charconv>

#include "protocol/Ipv4Address.h"

namespace velmar {

namespace {

constexpr std::string_view kSection = "Devices";
constexpr std::string_view kCountKey = "Count";

std::size_t ReadCount(const ProfileStore& profile) {
    const auto text = profile.Read(kSection, kCountKey);
    if (!text)
        return 0;
    long long count = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), count);
    if (error != std::errc{} || end != text->data() + text->size() || count < 0)
        return 0;
    return static_cast<std::size_t>(std::min(count, static_cast<long long>(SavedDevices::kMaxEntries)));
}

bool IsAddress(const std::string& text) {
    return ParseIpv4(text).has_value();
}

}  // namespace

std::string SavedDevices::KeyFor(std::size_t index) {
    std::string key = "DeviceX";
    key[6] = static_cast<char>('1' + index);
    return key;
}

void SavedDevices::Load(const ProfileStore& profile) {
    entries_.clear();
    const std::size_t count = ReadCount(profile);
    for (std::size_t i = 0; i < count; ++i) {
        auto text = profile.Read(kSection, KeyFor(i));
        if (text && IsAddress(*text))
            entries_.push_back(std::move(*text));
    }
}

bool SavedDevices::Save(ProfileStore& profile) const {
    if (!profile.Write(kSection, kCountKey, std::to_string(entries_.size())))
        return false;
    for (std::size_t i = 0; i < entries_.size(); ++i)
        profile.Write(kSection, KeyFor(i), entries_[i]);
    return true;
}

bool SavedDevices::Add(std::string address) {
    if (Full())
        return false;
    entries_.push_back(std::move(address));
    return true;
}

bool SavedDevices::Remove(std::string_view address) {
    const auto it = std::find(entries_.begin(), entries_.end(), address);
    if (it == entries_.end())
        return false;
    entries_.erase(it);
    return true;
}

bool SavedDevices::Contains(std::string_view address) const {
    return std::find(entries_.begin(), entries_.end(), address) != entries_.end();
}

}  // namespace velmar
