#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "console/DeviceMenu.h"

namespace velmar {
namespace {

using V = std::vector<std::string_view>;

V Texts(const DeviceMenuContext& context) {
    V texts;
    for (const MenuEntry& entry : DeviceMenuEntries(context)) {
        texts.push_back(entry.command == MenuCommand::Separator ? "-" : entry.text);
    }
    return texts;
}

DeviceMenuContext ConnectedApplication(std::int32_t version) {
    DeviceMenuContext c;
    c.connected = true;
    c.capabilities = {ModelClass::Full, true, true, false, false, 1536};
    c.version = version;
    return c;
}

TEST(DeviceMenu, SelectionAndConnectionChooseTheGroup) {
    DeviceMenuContext c;
    EXPECT_EQ(Texts(c), V{"Refresh"});
    c.rowSelected = true;
    EXPECT_EQ(Texts(c), (V{"Connect", "-", "Change Network settings ..."}));
    c.rowIsSavedDevice = true;
    c.connected = true;  // connected to another frame
    EXPECT_EQ(Texts(c), (V{"Connect", "-", "Remove from list", "-", "Change Network settings ..."}));
    c.rowIsConnectedFrame = true;
    EXPECT_EQ(Texts(c).front(), "Close");
    // Connected with nothing selected works on the connected frame.
    c.rowSelected = false;
    EXPECT_EQ(Texts(c).front(), "Close");
}

TEST(DeviceMenu, ModesAndModelClasses) {
    DeviceMenuContext c = ConnectedApplication(0);
    c.mode = DeviceMode::Recovery;
    EXPECT_EQ(Texts(c), (V{"Close", "-", "HW configuration ...", "Network settings ...", "-",
                           "Firmware update ...", "Load application mode"}));
    c.mode = DeviceMode::Mode2;
    c.capabilities = {ModelClass::NoMatrix, false, false, false, false, 1024};
    EXPECT_EQ(Texts(c), (V{"Close", "-", "Network settings ...", "-", "Firmware update ...",
                           "Load recovery mode", "-", "Restart"}));
    c.mode = DeviceMode::Application;
    EXPECT_EQ(Texts(c), (V{"Close", "-", "Network settings ...", "-", "Firmware update ...",
                           "Load recovery mode", "-", "Restart"}));
    c.capabilities = {ModelClass::NoCards, true, false, false, false, 1024};
    EXPECT_EQ(Texts(c), (V{"Close", "-", "Input status ...", "Health timeline ...", "-",
                           "Firmware update ...", "Load recovery mode", "Clear settings", "-", "Restart"}));
    // The ids travel with the texts.
    const auto entries = DeviceMenuEntries(c);
    EXPECT_EQ(entries[2].command, MenuCommand::InputStatus);
    EXPECT_EQ(static_cast<int>(entries[6].command), 1510);
    EXPECT_EQ(static_cast<int>(entries.back().command), 1501);
}

TEST(DeviceMenu, VersionsFeaturesAndOptionsGateTheTools) {
    DeviceMenuContext c = ConnectedApplication(1040001);
    EXPECT_EQ(Texts(c)[5], "Firmware update ...") << "1.4.0.1 has no channel labels";
    c.version = 1040002;
    EXPECT_EQ(Texts(c)[5], "Channel labels ...");
    EXPECT_EQ(Texts(c)[6], "-") << "gain settings need feature bit 1";
    c.features = 2;
    EXPECT_EQ(Texts(c)[6], "Gain settings ...");

    c.xyOption = true;
    EXPECT_EQ((V{Texts(c)[8], Texts(c)[9]}), (V{"X-Y control ...", "-"}));

    // Level detectors, PPM streams and IP routing need the zel option and the Dante module.
    c.xyOption = false;
    c.zelOption = true;
    c.features = 3;
    const auto withoutModule = Texts(c);
    c.capabilities.dante = true;
    EXPECT_EQ(Texts(c), (V{"Close", "-", "Input status ...", "Health timeline ...", "-", "Channel labels ...",
                           "Gain settings ...", "-", "Level detectors ...", "PPM streams ...", "-",
                           "Manual IP routing control ...", "Automatic IP routing control ...", "-",
                           "Firmware update ...", "Load recovery mode", "Clear settings", "-", "Restart"}));
    EXPECT_EQ(withoutModule.size() + 6, Texts(c).size());
    c.features = 2;
    c.version = 1020001;
    EXPECT_EQ(Texts(c)[5], "Firmware update ...")
        << "no level detectors without bit 0, no IP routing before 1.2.0.2";
    c.version = 1020002;
    EXPECT_EQ(Texts(c)[5], "Manual IP routing control ...");
}

}  // namespace
}  // namespace velmar
