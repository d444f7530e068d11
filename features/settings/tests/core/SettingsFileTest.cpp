#include "features/settings/core/SettingsFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "features/settings/core/AddressRules.h"

namespace velmar {
namespace {

// Every field the file holds, each with a value of its own.
std::unique_ptr<ConfigBlock> Distinct() {
    auto c = std::make_unique<ConfigBlock>();
    c->deviceId = 42;
    c->deviceName.Assign("Studio A");
    c->lan = {0, {}, {}, {}, {}};
    c->lan.ip.Assign("10.1.2.3");
    c->lan.subnet.Assign("255.255.0.0");
    c->lan.gateway.Assign("10.1.0.1");
    c->lan.mac.Assign("00A0B0C0D0E0");
    c->systemDelay = 33;
    c->aliveTime = 250;
    c->sampleRate = 6;
    c->sampleRateAdaptSrc = 16;
    c->wordClkOutMode = 1;
    for (std::size_t i = 0; i < c->syncPrio.size(); ++i)
        c->syncPrio[i] = static_cast<std::uint8_t>(i + 1);
    c->syncPrio[11] = 0;  // PHD 1 and 2 are not in the file
    c->syncPrio[12] = 0;
    c->syncTermEnable = 1;
    c->madiIn = {{{1, 1}, {2, 0}, {3, 1}}};
    c->madiOut = {{{1, 1, 0, 1, 1}, {2, 0, 1, 1, 0}, {3, 1, 1, 0, 1}}};
    c->phd = {1, 1, 1};
    c->danteName.Assign("Brooklyn stage left");
    c->danteLan.ip.Assign("192.168.1.20");
    c->danteLan.subnet.Assign("255.255.255.0");
    c->danteLan.gateway.Assign("192.168.1.1");
    c->danteLan.dns.Assign("192.168.1.2");
    c->danteLan.mac.Assign("001DC1000001");
    c->danteSRate = 1;
    c->danteSwMode = 1;
    c->danteSecLan.ip.Assign("192.168.2.20");
    c->danteSecLan.subnet.Assign("255.255.255.0");
    c->danteSecLan.gateway.Assign("192.168.2.1");
    c->danteSecLan.dns.Assign("192.168.2.2");
    c->danteSecLan.dhcp = 1;
    c->optMode = {{{1, 1}, {2, 2}}};
    c->aesChnStMode = 1;
    c->redundancyEnable = 1;
    c->redundancyMode = 2;
    return c;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

TEST(SettingsFileTest, WrittenFileLoadsBackEveryValueAndKeepsItsLayout) {
    const auto original = Distinct();
    const std::string text = SettingsFileText(*original);
    EXPECT_EQ(text.rfind("[Device settings]\r\n--- ID ---\r\nID=42\r\nName=Studio A\r\n", 0), 0u);
    EXPECT_NE(text.find("\r\nSyncSFP2Prio=16\r\nSyncIPPrio=17\r\n"), std::string::npos);
    EXPECT_NE(text.find("--- AES ---\r\nAesChnStMode=1\r\n--- Optional module ---\r\nRedundancyEnable=1\r\n"),
              std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '='), 65);

    auto loaded = std::make_unique<ConfigBlock>();
    loaded->syncPrio[11] = 9;  // not in the file: stays
    loaded->lan.mac.Assign("FFFFFFFFFFFF");
    ASSERT_EQ(ReadSettingsText(text, *loaded), std::nullopt);
    EXPECT_EQ(loaded->syncPrio[11], 9);
    EXPECT_EQ(loaded->lan.mac.View(), "FFFFFFFFFFFF");  // MAC lines are never read
    loaded->syncPrio[11] = 0;
    loaded->lan.mac = original->lan.mac;
    loaded->danteLan.mac = original->danteLan.mac;
    EXPECT_EQ(SettingsFileText(*loaded), text);

    // Keys, not positions: any order loads the same, and LF line ends do too.
    std::string shuffled = Replace(text, "ID=42\r\n", "");
    shuffled += "ID=42\n";
    auto reordered = std::make_unique<ConfigBlock>();
    ASSERT_EQ(ReadSettingsText(shuffled, *reordered), std::nullopt);
    EXPECT_EQ(reordered->deviceId, 42);
    EXPECT_EQ(reordered->aliveTime, 250);

    // As other editors save it: CR line ends behind a UTF-8 byte-order mark.
    std::string old = "\xEF\xBB\xBF" + text;
    for (std::size_t at = old.find("\r\n"); at != std::string::npos; at = old.find("\r\n", at))
        old.erase(at + 1, 1);
    auto fromOld = std::make_unique<ConfigBlock>();
    ASSERT_EQ(ReadSettingsText(old, *fromOld), std::nullopt);
    EXPECT_EQ(fromOld->deviceId, 42);
    EXPECT_EQ(fromOld->redundancyMode, 2);
}

TEST(SettingsFileTest, RefusedFilesNameTheLineAndChangeNothing) {
    const std::string text = SettingsFileText(*Distinct());
    const auto before = Distinct();
    before->deviceId = 7;
    const std::string untouched = SettingsFileText(*before);
    const auto refuse = [&](const std::string& file) {
        auto config = Distinct();
        config->deviceId = 7;
        const SettingsFileProblem problem = ReadSettingsText(file, *config);
        EXPECT_EQ(SettingsFileText(*config), untouched);
        return problem.value_or("(loaded)");
    };
    EXPECT_EQ(refuse(Replace(text, "SystemDelay=33", "SystemDelay=65")),
              "Line 12: SystemDelay: 65 is out of range (0 to 64).");
    EXPECT_EQ(refuse(Replace(text, "AliveTime=250", "AliveTime=abc")),
              "Line 14: AliveTime: \"abc\" is not a number.");
    EXPECT_EQ(refuse(Replace(text, "SampleRate=6", "SampleRat=6")),
              "Line 16: \"SampleRat\" is not a setting.");
    EXPECT_EQ(refuse(text + "ID=3\r\n"), "Line 79: \"ID\" appears a second time.");
    EXPECT_EQ(refuse(Replace(text, "RedundancyMode=2", "RedundancyMode=-1")),
              "Line 78: RedundancyMode: -1 is out of range (0 to 2).");
    EXPECT_EQ(refuse(Replace(text, "Name=Studio A", "Name=Studio, A")).rfind("Line 4: Name: ", 0), 0u);
    EXPECT_EQ(refuse(Replace(text, "IP=10.1.2.3", "IP=10.1.2")),
              "Line 6: IP: \"10.1.2\" is not an address of the form 192.168.0.10.");
    EXPECT_EQ(refuse(Replace(text, "PortCfg=1", std::string("Port\0Cfg=1", 10))),
              "Line 43: this is not a settings file (it holds control characters).");

    // The 63-line rule: the first 62 value lines alone are not a settings file.
    const std::size_t cut = text.find("AesChnStMode=");
    EXPECT_EQ(refuse(text.substr(0, cut)), "The file holds 62 settings; a settings file has at least 63.");
    EXPECT_EQ(refuse(std::string("\xFF\xFE[\0", 4)),
              "This is not a settings file: UTF-16 text; save it as plain (ASCII or UTF-8) text.");
    EXPECT_EQ(refuse("\x7f"
                     "ELF\x02\x01 binary junk"),
              "Line 1: this is not a settings file (it holds control characters).");
}

TEST(SettingsFileTest, ClampsAndTextsTheFrameCannotTakeWhole) {
    std::string text = SettingsFileText(*Distinct());
    auto config = std::make_unique<ConfigBlock>();
    ASSERT_EQ(ReadSettingsText(Replace(Replace(text, "AesChnStMode=1", "AesChnStMode=5"), "RedundancyMode=2",
                                       "RedundancyMode=3"),
                               *config),
              std::nullopt);
    EXPECT_EQ(config->aesChnStMode, 0);
    EXPECT_EQ(config->redundancyMode, 0);

    // Never cut: an overlong name would reach the frame as another name.
    EXPECT_EQ(ReadSettingsText(Replace(text, "Name=Studio A", "Name=" + std::string(17, 'n')), *config)
                  .value_or(""),
              "Line 4: Name: A device name is longer than 16 characters.");
    EXPECT_EQ(
        ReadSettingsText(Replace(text, "DanteName=Brooklyn stage left", "DanteName=" + std::string(32, 'd')),
                         *config)
            .value_or("")
            .rfind("Line 47: DanteName: ", 0),
        0u);
}

// The file is UTF-8; the frame's names are its 8-bit set, in both directions.
TEST(SettingsFileTest, TextsTravelInTheFramesCharacterSet) {
    const std::string text =
        Replace(SettingsFileText(*Distinct()), "Name=Studio A", "Name=St\u00fcdio \u20ac");
    auto config = std::make_unique<ConfigBlock>();
    ASSERT_EQ(ReadSettingsText(text, *config), std::nullopt);
    EXPECT_EQ(config->deviceName.View(),
              "St\xfc"
              "dio \x80");
    EXPECT_NE(SettingsFileText(*config).find("\r\nName=St\u00fcdio \u20ac\r\n"), std::string::npos);

    const auto before = SettingsFileText(*config);
    const SettingsFileProblem problem =
        ReadSettingsText(Replace(text, "DanteName=Brooklyn stage left", "DanteName=Stage \u03a9"), *config);
    EXPECT_EQ(problem.value_or("").rfind("Line 47: DanteName: ", 0), 0u) << problem.value_or("");
    EXPECT_NE(problem.value_or("").find("U+03A9"), std::string::npos) << problem.value_or("");
    EXPECT_EQ(SettingsFileText(*config), before);
}

// Numbers read as the format writes them (an optional sign), within the editor's own lists; a value
// outside them loads only where the frame already holds it, so a frame's own file loads back.
TEST(SettingsFileTest, NumbersTakeASignAndStayInTheEditorsLists) {
    const std::string text = SettingsFileText(*Distinct());
    auto config = Distinct();
    ASSERT_EQ(ReadSettingsText(Replace(text, "ID=42", "ID=+5"), *config), std::nullopt);
    EXPECT_EQ(config->deviceId, 5);
    EXPECT_EQ(ReadSettingsText(Replace(text, "ID=42", "ID=+-5"), *config).value_or(""),
              "Line 3: ID: \"+-5\" is not a number.");
    EXPECT_EQ(ReadSettingsText(Replace(text, "SampleRate=6", "SampleRate=0"), *config).value_or(""),
              "Line 16: SampleRate: 0 is out of range (1 to 10).");
    EXPECT_EQ(
        ReadSettingsText(Replace(text, "SampleRateAdaptSrc=16", "SampleRateAdaptSrc=0"), *config)
            .value_or(""),
        "Line 17: SampleRateAdaptSrc: 0 is out of range (one of 1, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, "
        "15, 16, 17, 18).");
    EXPECT_TRUE(ReadSettingsText(Replace(text, "SampleRateAdaptSrc=16", "SampleRateAdaptSrc=2"), *config));
    EXPECT_EQ(config->sampleRate, 6);

    config->sampleRate = 0;  // a frame that refused its rate
    const std::string own = SettingsFileText(*config);
    ASSERT_EQ(ReadSettingsText(own, *config), std::nullopt);
    EXPECT_EQ(config->sampleRate, 0);
}

// A frame without a Dante module saves an empty Dante section; on a frame with one it changes nothing.
TEST(SettingsFileTest, AnEmptyDanteSectionLeavesTheModulesSettingsAlone) {
    auto without = Distinct();
    without->danteName = {};
    without->danteLan = {};
    without->danteSecLan = {};
    without->danteSRate = 0;
    without->danteSwMode = 0;
    without->aliveTime = 17;
    const std::string text = SettingsFileText(*without);

    auto frame = Distinct();
    SettingsFileNotes notes;
    ASSERT_EQ(ReadSettingsText(text, *frame, &notes), std::nullopt);
    EXPECT_EQ(frame->aliveTime, 17);
    EXPECT_EQ(frame->danteName.View(), "Brooklyn stage left");
    EXPECT_EQ(frame->danteLan.ip.View(), "192.168.1.20");
    EXPECT_EQ(frame->danteSRate, 1);
    EXPECT_EQ(frame->danteSwMode, 1);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("no Dante settings"), std::string::npos) << notes[0];

    // Any Dante text in the file is a Dante section, and it is taken.
    notes.clear();
    ASSERT_EQ(ReadSettingsText(Replace(text, "DanteName=", "DanteName=stage"), *frame, &notes), std::nullopt);
    EXPECT_EQ(frame->danteName.View(), "stage");
    EXPECT_EQ(frame->danteSRate, 0);
    EXPECT_TRUE(notes.empty());
}

TEST(SettingsFileTest, FilesOnDiskAreBoundedAndWrittenWhole) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("velmar-settings-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "frame.cfg").string();
    const auto original = Distinct();
    ASSERT_EQ(SaveSettingsFile(path, *original), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));
    auto loaded = std::make_unique<ConfigBlock>();
    ASSERT_EQ(LoadSettingsFile(path, *loaded), std::nullopt);
    EXPECT_EQ(loaded->aliveTime, 250);

    {
        std::ofstream huge(dir / "huge.cfg", std::ios::binary);
        const std::string block(1 << 20, 'x');
        for (int i = 0; i < 8; ++i)
            huge << block;
    }
    EXPECT_EQ(LoadSettingsFile((dir / "huge.cfg").string(), *loaded).value_or(""),
              (dir / "huge.cfg").string() + " is too large for a settings file (at most 64 KiB).");
    EXPECT_TRUE(LoadSettingsFile((dir / "missing.cfg").string(), *loaded).has_value());
    EXPECT_EQ(LoadSettingsFile(dir.string(), *loaded).value_or(""),
              dir.string() + " is a folder, not a settings file; only regular files are read.");
    EXPECT_TRUE(SaveSettingsFile((dir / "no-such-dir" / "x.cfg").string(), *original).has_value());
    std::filesystem::remove_all(dir);
}

TEST(SettingsFileTest, AnotherFramesFileKeepsThisFramesNetworkIdentity) {
    auto fromA = Distinct();
    auto frameB = Distinct();
    frameB->lan.ip.Assign("10.9.9.9");
    frameB->danteLan.dhcp = 1;
    const auto kept = KeepNetworkIdentity(*fromA, *frameB);
    EXPECT_EQ(kept, (std::vector<std::string_view>{"IP", "DanteDHCP"}));
    EXPECT_EQ(fromA->lan.ip.View(), "10.9.9.9");
    EXPECT_EQ(fromA->danteLan.dhcp, 1);
    EXPECT_EQ(fromA->aliveTime, 250);
}

// Only an address the edits change is checked: one the frame already holds is not sent again.
TEST(SettingsFileTest, OnlyChangedFixedAddressesAreChecked) {
    auto frame = Distinct();
    frame->danteSecLan.dhcp = 0;
    frame->danteSecLan.ip.Assign("0.0.0.0");
    auto edited = std::make_unique<ConfigBlock>(*frame);
    edited->aliveTime = 5;
    EXPECT_EQ(NetworkSettingsProblem(*frame, *edited, true), std::nullopt);
    edited->danteSecLan.subnet.Assign("255.255.0.0");
    EXPECT_TRUE(NetworkSettingsProblem(*frame, *edited, true));
    // Switching to redundant puts the secondary interface to use.
    *edited = *frame;
    frame->danteSwMode = 0;
    EXPECT_TRUE(NetworkSettingsProblem(*frame, *edited, true));
    EXPECT_EQ(NetworkSettingsProblem(*frame, *edited, false), std::nullopt);
    edited->lan.ip.Assign("255.255.255.255");
    EXPECT_TRUE(NetworkSettingsProblem(*frame, *edited, false));
}

TEST(SettingsFileTest, FixedAddressesThatWouldLoseTheFrameAreRefused) {
    EXPECT_TRUE(FixedAddressProblem("0.0.0.0", "255.0.0.0", "0.0.0.0", "the frame"));
    EXPECT_TRUE(FixedAddressProblem("255.255.255.255", "255.0.0.0", "", "the frame"));
    EXPECT_TRUE(FixedAddressProblem("10.0.0.2", "0.0.0.0", "", "the frame"));
    EXPECT_TRUE(FixedAddressProblem("10.0.0.2", "255.0.0.0", "255.255.255.255", "the frame"));
    EXPECT_EQ(FixedAddressProblem("10.0.0.2", "255.0.0.0", "0.0.0.0", "the frame"), std::nullopt);
    EXPECT_TRUE(FixedAddressProblem("10.0.0.02", "255.0.0.0", "0.0.0.0", "the frame"))
        << "an address is taken in its plain form only";
}

}  // namespace
}  // namespace velmar
