#include <gtest/gtest.h>

#include <map>
#include <string>

#include "device/discovery/SavedDevices.h"

namespace velmar {
namespace {

class MapProfile final : public ProfileStore {
  public:
    std::optional<std::string> Read(std::string_view section, std::string_view key) const override {
        const auto it = values.find(std::string(section) + "/" + std::string(key));
        if (it == values.end())
            return std::nullopt;
        return it->second;
    }
    bool Write(std::string_view section, std::string_view key, std::string_view value) override {
        if (readOnly)
            return false;
        values[std::string(section) + "/" + std::string(key)] = std::string(value);
        return true;
    }
    std::map<std::string, std::string> values;
    bool readOnly = false;
};

TEST(SavedDevices, KeysFollowTheCharacterAfterOne) {
    EXPECT_EQ(SavedDevices::KeyFor(0), "Device1");
    EXPECT_EQ(SavedDevices::KeyFor(8), "Device9");
    EXPECT_EQ(SavedDevices::KeyFor(9), "Device:");
    EXPECT_EQ(SavedDevices::KeyFor(10), "Device;");
    EXPECT_EQ(SavedDevices::KeyFor(SavedDevices::kMaxEntries - 1), "DeviceZ");
}

TEST(SavedDevices, TenDevicesSurviveASaveAndLoad) {
    SavedDevices saved;
    for (int i = 1; i <= 10; ++i)
        ASSERT_TRUE(saved.Add("10.0.0." + std::to_string(i)));
    MapProfile profile;
    ASSERT_TRUE(saved.Save(profile));
    EXPECT_EQ(profile.values.at("Devices/Count"), "10");
    EXPECT_EQ(profile.values.at("Devices/Device:"), "10.0.0.10");

    SavedDevices loaded;
    loaded.Load(profile);
    EXPECT_EQ(loaded.Entries(), saved.Entries());

    // Removing takes the first equal entry only; Contains compares whole texts.
    loaded.Add("10.0.0.1");
    EXPECT_TRUE(loaded.Remove("10.0.0.1"));
    EXPECT_EQ(loaded.Entries().front(), "10.0.0.2");
    EXPECT_TRUE(loaded.Contains("10.0.0.1"));
    EXPECT_FALSE(loaded.Contains("10.0.0."));
    EXPECT_FALSE(loaded.Remove("10.9.9.9"));

    profile.readOnly = true;
    EXPECT_FALSE(loaded.Save(profile));
}

TEST(SavedDevices, ADamagedProfileLoadsWhatItCan) {
    MapProfile profile;
    SavedDevices saved;
    saved.Load(profile);  // no section at all
    EXPECT_TRUE(saved.Entries().empty());

    profile.values = {{"Devices/Count", "4"},
                      {"Devices/Device1", "10.0.0.1"},
                      {"Devices/Device2", "not an address"},
                      // Device3 is missing
                      {"Devices/Device4", "10.0.0.4"},
                      {"Devices/Device5", "10.0.0.5"}};  // beyond the count
    saved.Load(profile);
    EXPECT_EQ(saved.Entries(), (std::vector<std::string>{"10.0.0.1", "10.0.0.4"}));

    for (const char* count : {"", "-3", "many", "2x"}) {
        profile.values["Devices/Count"] = count;
        saved.Load(profile);
        EXPECT_TRUE(saved.Entries().empty()) << count;
    }
    // A count far beyond what keys can name reads the keys there are.
    profile.values["Devices/Count"] = "99999999999";
    saved.Load(profile);
    EXPECT_EQ(saved.Entries().size(), 3u);
}

TEST(SavedDevices, TheListStopsWhereKeysRunOut) {
    SavedDevices saved;
    for (std::size_t i = 0; i < SavedDevices::kMaxEntries; ++i)
        ASSERT_TRUE(saved.Add("10.0.1." + std::to_string(i)));
    EXPECT_TRUE(saved.Full());
    EXPECT_FALSE(saved.Add("10.0.2.1"));
    MapProfile profile;
    saved.Save(profile);
    SavedDevices loaded;
    loaded.Load(profile);
    EXPECT_EQ(loaded.Entries().size(), SavedDevices::kMaxEntries);
}

}  // namespace
}  // namespace velmar
