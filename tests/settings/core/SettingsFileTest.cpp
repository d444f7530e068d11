#include "settings/core/SettingsFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "settings/core/AddressRules.h"

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
    EXPECT_EQ(refuse("\x7f"
                     "ELF\x02\x01 binary junk"),
              "Line 1: this is not a settings file (it holds control characters).");
}

TEST(SettingsFileTest, ClampsAndOverlongTexts) {
    std::string text = SettingsFileText(*Distinct());
    text = Replace(text, "AesChnStMode=1", "AesChnStMode=5");
    text = Replace(text, "RedundancyMode=2", "RedundancyMode=3");
    text = Replace(text, "Name=Studio A", "Name=" + std::string(40, 'n'));
    text = Replace(text, "DanteName=Brooklyn stage left", "DanteName=" + std::string(200, 'd'));
    auto config = std::make_unique<ConfigBlock>();
    ASSERT_EQ(ReadSettingsText(text, *config), std::nullopt);
    EXPECT_EQ(config->aesChnStMode, 0);
    EXPECT_EQ(config->redundancyMode, 0);
    EXPECT_EQ(config->deviceName.View(), std::string(16, 'n'));
    EXPECT_EQ(config->danteName.View(), std::string(31, 'd'));
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

TEST(SettingsFileTest, FixedAddressesThatWouldLoseTheFrameAreRefused) {
    EXPECT_TRUE(FixedAddressProblem("0.0.0.0", "255.0.0.0", "0.0.0.0", "the frame"));
    EXPECT_TRUE(FixedAddressProblem("255.255.255.255", "255.0.0.0", "", "the frame"));
    EXPECT_TRUE(FixedAddressProblem("10.0.0.2", "0.0.0.0", "", "the frame"));
    EXPECT_TRUE(FixedAddressProblem("10.0.0.2", "255.0.0.0", "255.255.255.255", "the frame"));
    EXPECT_EQ(FixedAddressProblem("10.0.0.2", "255.0.0.0", "0.0.0.0", "the frame"), std::nullopt);
    EXPECT_FALSE(ParseAddress("1.2.3.4.5"));
    EXPECT_FALSE(ParseAddress("1.2.3.256"));
    EXPECT_FALSE(ParseAddress(" 1.2.3.4"));
    EXPECT_EQ(ParseAddress("10.0.0.1"), 0x0A000001u);
}

}  // namespace
}  // namespace velmar
