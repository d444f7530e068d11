#include <gtest/gtest.h>

#include "features/channeltools/core/ChannelTools.h"
#include "features/channeltools/core/LabelText.h"

namespace velmar {
namespace {

TEST(ChannelToolsCore, TypeNamesFollowTheChannelMap) {
    const std::vector<std::pair<std::int32_t, std::string>> cases{
        {0, "CARD 1"},    {64, "CARD 2"},   {511, "CARD 8"}, {512, "AES"}, {528, "PHD 1"}, {591, "PHD 2"},
        {592, "MADI"},    {656, "SFP 1"},   {911, "SFP 2"},  {912, "IP"},  {1007, "SUM"},  {1008, ""},
        {1024, "CARD 1"}, {1535, "CARD 8"}, {1536, ""},      {-1, ""},
    };
    for (const auto& [index, name] : cases)
        EXPECT_EQ(ChannelTypeName(index), name) << index;
}

TEST(ChannelToolsCore, ValuesShowTheirHundredthsAsTwoDigits) {
    // 3 and 5 hundredths is 3.05: a single digit would read as 3.50.
    EXPECT_EQ(GainText({false, 3, 5}), "3.05");
    EXPECT_EQ(GainText({true, 12, 50}), "-12.50");
    EXPECT_EQ(GainText({}), "0.00");
    EXPECT_EQ(LevelText({false, 20, 0}), "20");
    EXPECT_EQ(LevelText({true, 0, 50}), "-0.50");
    EXPECT_EQ(LevelText({false, 3, 5}), "3.05");
    EXPECT_EQ(DefaultLabel(0, 7), "SOURCE-0007");
    EXPECT_EQ(DefaultLabel(1, 1536), "DESTINATION-1536");
}

TEST(ChannelToolsCore, LabelsAreCheckedAsTheFrameStoresThem) {
    EXPECT_FALSE(LabelProblem("DESTINATION-1536"));  // 16 bytes
    EXPECT_EQ(LabelProblem("DESTINATION-15360"), "A label is longer than 16 characters.");
    EXPECT_EQ(LabelProblem("Mic,1"), "A label may not contain a comma.");
    EXPECT_EQ(LabelProblem("Bob's"), "A label may not contain a single quote.");
    for (const char* start : {"a:b", "a&b", "a?b", "a%b", "a!b"})
        EXPECT_TRUE(LabelProblem(start)) << start;
    EXPECT_TRUE(LabelProblem("tab\there"));
    // Bytes are counted, not UTF-8 code units: sixteen accented letters fit.
    EXPECT_FALSE(
        LabelProblem("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
                     "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"));
    // The frame-text rule of every other text: the euro sign is 0x80, an emoji has no byte.
    EXPECT_EQ(EncodeLabel("\xE2\x82\xAC"
                          "5")
                  .bytes,
              "\x80"
              "5");
    EXPECT_EQ(EncodeLabel("Caf\xC3\xA9").bytes, "Caf\xE9");
    const FrameTextEncoding emoji = EncodeLabel("Mic \xF0\x9F\x8E\xA4");
    EXPECT_TRUE(emoji.bytes.empty());
    EXPECT_NE(emoji.error.find("U+1F3A4"), std::string::npos) << emoji.error;
}

}  // namespace
}  // namespace velmar
