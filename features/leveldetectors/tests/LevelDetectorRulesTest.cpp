#include <gtest/gtest.h>

#include "features/leveldetectors/core/LevelDetectorRules.h"

namespace velmar {
namespace {

using Kind = DetectorRequest::Kind;

TEST(LevelDetectorRules, FieldsAreReadWithinWhatTheyCanCarry) {
    EXPECT_EQ(ParseLevel("-40"), (FixedValue{true, 40, 0}));
    EXPECT_EQ(ParseLevel("3.5"), (FixedValue{false, 3, 50}));
    EXPECT_EQ(ParseLevel("-0.05"), (FixedValue{true, 0, 5}));
    EXPECT_EQ(ParseLevel("-0"), FixedValue{});
    EXPECT_EQ(ParseLevel("32767"), (FixedValue{false, 32767, 0}));
    // 70000 would wrap to 4464 in the 16-bit whole part.
    for (const char* bad : {"70000", "32768", "1.234", "", "-", "1e3", "abc", "--1"})
        EXPECT_FALSE(ParseLevel(bad)) << bad;

    EXPECT_TRUE(ReadDetectorFields(0, {"99999", "-40", "0", "0"}).thresholds);
    // Longer input times could be sent but never read back from the frame's answers.
    EXPECT_EQ(ReadDetectorFields(0, {"600000", "-40", "0", "0"}).problem,
              "Input time 1 must be a whole number of ms from 0 to 99999.");
    const DetectorFieldsRead outputTooLong = ReadDetectorFields(1, {"60001", "-40", "0", "0"});
    EXPECT_FALSE(outputTooLong.thresholds);
    EXPECT_EQ(outputTooLong.problem, "Output time 1 must be a whole number of ms from 0 to 60000.");
    const DetectorFieldsRead wraps = ReadDetectorFields(0, {"100", "70000", "0", "0"});
    EXPECT_FALSE(wraps.thresholds);
    EXPECT_EQ(wraps.problem,
              "Input level 1 must be a number of dB from -32767 to 32767 with at most two decimals.");
    EXPECT_FALSE(ReadDetectorFields(0, {"100", "0", "-1", "0"}).thresholds);

    const DetectorThresholds shown{{false, 3, 50}, 100, {true, 0, 5}, 200};
    const DetectorFieldTexts texts = FieldTexts(shown);
    EXPECT_EQ(texts.level1, "3.50");
    EXPECT_EQ(texts.level2, "-0.05");
    EXPECT_EQ(ReadDetectorFields(0, texts).thresholds, shown);  // what the fields show goes back unchanged
    EXPECT_EQ(DetectorText({{{true, 40, 0}, 100, {false, 3, 50}, 2000}, 1, 0}), "100, -40, 2000, 3.50, 1, 0");
    const LevelDetector armed{{{true, 40, 0}, 100, {false, 3, 50}, 2000}, 1, 0};
    EXPECT_EQ(DetectorColumnText(armed, DetectorColumn::Level1), "-40");
    EXPECT_EQ(DetectorColumnText(armed, DetectorColumn::Level2), "3.50");
    EXPECT_EQ(DetectorColumnText(armed, DetectorColumn::Enabled), "yes");
    EXPECT_EQ(DetectorColumnText(armed, DetectorColumn::State), "ok");
    EXPECT_EQ(DetectorColumnText({{}, 0, 0}, DetectorColumn::State), "off");
    EXPECT_EQ(DetectorColumnText({{}, 0, 2}, DetectorColumn::State), "tripped");
}

TEST(LevelDetectorRules, OnlyWhatDiffersIsSentInputsBeforeOutputsThresholdsBeforeStates) {
    LevelDetectorTables stored{};
    const DetectorTarget target{{{true, 40, 0}, 100, {false, 3, 50}, 200}, true};
    std::vector<DetectorRequest> requests;
    PlanDetectorChannel(stored, 5, target, target, requests);
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].kind, Kind::Thresholds);
    EXPECT_EQ(requests[0].direction, 0);
    EXPECT_EQ(requests[1].kind, Kind::Thresholds);
    EXPECT_EQ(requests[1].direction, 1);
    EXPECT_EQ(requests[2].kind, Kind::State);
    EXPECT_EQ(requests[2].direction, 0);
    EXPECT_EQ(requests[3].direction, 1);

    // Once the frame has reported them, the same values again send nothing, hundredths included.
    stored[0][4] = {target.thresholds, 1, 0};
    stored[1][4] = {target.thresholds, 1, 0};
    requests.clear();
    PlanDetectorChannel(stored, 5, target, target, requests);
    EXPECT_TRUE(requests.empty());

    // Clearing a threshold of only hundredths still clears it; an all-zero detector sends nothing.
    stored[0][6].thresholds.level1 = {false, 0, 50};
    requests.clear();
    PlanDetectorChannel(stored, 7, DetectorTarget{}, DetectorTarget{}, requests);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].direction, 0);
    EXPECT_EQ(requests[0].thresholds, DetectorThresholds{});

    requests.clear();
    PlanDetectorChannel(stored, 0, target, target, requests);
    PlanDetectorChannel(stored, 2049, target, target, requests);
    EXPECT_TRUE(requests.empty());
}

}  // namespace
}  // namespace velmar
