#include <gtest/gtest.h>

#include <sstream>

#include "features/channeltools/core/LabelFile.h"

namespace velmar {
namespace {

TEST(LabelFile, WritesWhatSpreadsheetsOpenAndReadsItBack) {
    DeviceState state;
    state.config.inputLabels[512].Assign("Caf\xE9 \"A\"");
    state.config.inputLabels[513].Assign("L;R");
    state.config.outputLabels[512].Assign("DESTINATION-0513");
    state.config.outputLabels[513].Assign(
        "\x80"
        "5 \x81");
    std::stringstream file;
    LabelFile::Write(file, state, 513, 514);
    const std::string text = file.str();
    EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(text.find("channel,direction,label\r\n"), std::string::npos);
    EXPECT_NE(text.find("513,in,\"Caf\xC3\xA9 \"\"A\"\"\"\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("514,in,\"L;R\"\r\n"), std::string::npos);
    // Windows-1252, as every frame text: the euro sign, and U+0081 for the byte it leaves undefined.
    EXPECT_NE(text.find("514,out,\u20ac"
                        "5 \u0081\r\n"),
              std::string::npos)
        << text;

    const LabelFileRead read = LabelFile::Read(file, 513, 1024);
    EXPECT_TRUE(read.problems.empty());
    ASSERT_EQ(read.rows.size(), 4u);
    EXPECT_EQ(read.rows[0], (LabelRow{513, 0, "Caf\xE9 \"A\""}));
    EXPECT_EQ(read.rows[1], (LabelRow{514, 0, "L;R"}));
    EXPECT_EQ(read.rows[2], (LabelRow{513, 1, "DESTINATION-0513"}));
    EXPECT_EQ(read.rows[3], (LabelRow{514, 1,
                                      "\x80"
                                      "5 \x81"}));
}

TEST(LabelFile, NamesEveryLineItCannotTake) {
    std::istringstream file(
        "channel,direction,label\n"
        "1,in,Mic 1\n"
        "512,in,Below the tools\n"
        "2,sideways,Mic 2\n"
        "3,out,\"Mic,3\"\n"
        "4,out,Seventeen chars!!\n"
        "5;out;Semicolons\n"
        "6,in,\"unended\n"
        "\n");
    const LabelFileRead read = LabelFile::Read(file, 1, 511);
    ASSERT_EQ(read.rows.size(), 2u);
    EXPECT_EQ(read.rows[1], (LabelRow{5, 1, "Semicolons"}));
    ASSERT_EQ(read.problems.size(), 5u);
    EXPECT_EQ(read.problems[0], "line 3: channel must be 1..511");
    EXPECT_EQ(read.problems[1], "line 4: direction must be in or out");
    EXPECT_EQ(read.problems[2], "line 5: A label may not contain a comma.");
    EXPECT_EQ(read.problems[4], "line 8: expected channel,direction,label");
}

}  // namespace
}  // namespace velmar
