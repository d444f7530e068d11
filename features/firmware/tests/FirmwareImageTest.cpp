#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "features/firmware/core/FirmwareBatch.h"
#include "features/firmware/core/FirmwareImage.h"
#include "tests/support/TempFolder.h"

namespace velmar::test {
namespace {

using V = std::vector<std::string>;

TEST(FirmwareImageTest, RecordsAreKeptAsWrittenWithoutTheirLineEnds) {
    const auto read = ParseFirmwareImage("/images/main.flash", "S0030000FC\r\nS1 13 x\n\nS9030000FC\r\n\r\n");
    ASSERT_TRUE(read.image) << read.problem;
    EXPECT_EQ(read.image->records, (V{"S0030000FC", "S1 13 x", "S9030000FC"}));
    EXPECT_EQ(read.image->Name(), "main.flash");
    const auto last = ParseFirmwareImage("a.flash", "S1\nS2");
    ASSERT_TRUE(last.image);
    EXPECT_EQ(last.image->records, (V{"S1", "S2"})) << "a last line without its line end";
    const auto old = ParseFirmwareImage("a.flash", "\xEF\xBB\xBFS1\rS2\rS3");
    ASSERT_TRUE(old.image) << old.problem;
    EXPECT_EQ(old.image->records, (V{"S1", "S2", "S3"})) << "CR line ends and a UTF-8 byte-order mark";
}

TEST(FirmwareImageTest, AFileThatCannotBeProgrammedWholeIsRefusedNamingFileAndLine) {
    const std::string fits(255, '1');
    EXPECT_TRUE(ParseFirmwareImage("a.flash", "S" + fits.substr(1) + "\n").image);
    const std::vector<std::pair<std::string, std::string>> cases{
        {"S0\nS" + fits + "\nS9\n",
         "a.flash, line 2: the record has 256 characters; a programming request carries 255 at most."},
        {"S0\n\nEND\nS9\n", "a.flash, line 3: the line is not a record (a record begins with \"S\")."},
        {"S0\n  \n", "a.flash, line 2: the line is not a record (a record begins with \"S\")."},
        {"S0\x01S1\n", "a.flash, line 1: the record holds a control character."},
        {std::string("\xFF\xFES\0", 4), "a.flash: UTF-16 text; save it as plain (ASCII or UTF-8) text."},
        {"\r\n\n", "a.flash holds no records."},
        {"", "a.flash holds no records."},
    };
    for (const auto& [text, problem] : cases) {
        const auto read = ParseFirmwareImage("a.flash", text);
        EXPECT_FALSE(read.image) << problem;
        EXPECT_EQ(read.problem, problem);
    }
}

TEST(FirmwareImageTest, EveryFileOfAnOrderIsCheckedBeforeAnyIsProgrammed) {
    const std::string good = test::OwnTempFolder() + "/velmar-good.flash";
    const std::string bad = test::OwnTempFolder() + "/velmar-bad.flash";
    std::ofstream(good) << "S0\r\nS1\r\n";
    std::ofstream(bad) << "S0\nX\n";
    const auto read = ReadFirmwareImages({good, bad, good});
    EXPECT_TRUE(read.images.empty());
    EXPECT_EQ(read.problem, bad + ", line 2: the line is not a record (a record begins with \"S\").");
    EXPECT_EQ(ReadFirmwareImages({good, "/nonexistent/x.flash"}).problem,
              "/nonexistent/x.flash cannot be read: No such file or directory.");
    // Read whole, a folder threw past the reader and /dev/zero grew until the process died.
    EXPECT_EQ(ReadFirmwareImages({good, test::OwnTempFolder()}).problem,
              test::OwnTempFolder() + " is a folder, not a firmware image; only regular files are read.");
    EXPECT_EQ(ReadFirmwareImages({"/dev/zero"}).problem,
              "/dev/zero is a device, not a firmware image; only regular files are read.");

    auto both = ReadFirmwareImages({good, good});
    ASSERT_EQ(both.images.size(), 2u);
    FirmwareBatch batch(std::move(both.images));
    EXPECT_EQ(batch.FileNumber(), 1u);
    EXPECT_FALSE(batch.IsLast());
    EXPECT_TRUE(batch.Advance());
    EXPECT_TRUE(batch.IsLast());
    EXPECT_EQ(batch.Current().records, (V{"S0", "S1"}));
    EXPECT_FALSE(batch.Advance());
    EXPECT_TRUE(batch.Empty());
    std::remove(good.c_str());
    std::remove(bad.c_str());
}

TEST(FirmwareImageTest, ProgressCounterAndBarNeverDivideByAStepOfZero) {
    std::vector<std::size_t> shown;
    for (std::size_t n = 1; n <= 1000; ++n) {
        if (FirmwareCounterShows(n, 1000))
            shown.push_back(n);
    }
    EXPECT_EQ(shown.front(), 64u);
    EXPECT_EQ(shown[13], 896u);
    EXPECT_EQ(shown[14], 937u) << "every count from 937 on";
    EXPECT_EQ(shown.size(), 14u + 64u);
    EXPECT_EQ(FirmwarePercent(10, 1000), 1);
    EXPECT_EQ(FirmwarePercent(1000, 1000), 100);
    EXPECT_EQ(FirmwarePercent(1, 3), 33) << "fewer than 100 records still move the bar";
    EXPECT_EQ(FirmwarePercent(3, 3), 100);
    EXPECT_EQ(FirmwarePercent(0, 0), 0);
}

}  // namespace
}  // namespace velmar::test
