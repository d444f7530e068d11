#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/cli/CliRun.h"
#include "tests/support/SimProcess.h"

namespace velmar {
namespace {

// The channel-tool commands of velmar-cli against velmar-sim's default rack.
class ChannelCommandsEndToEnd : public ::testing::Test {
  protected:
    ChannelCommandsEndToEnd() { sim.ExportPorts(); }
    ~ChannelCommandsEndToEnd() override { std::remove(csv.c_str()); }

    using Outcome = test::CliOutcome;
    static Outcome Cli(const std::vector<std::string>& args) { return test::RunCli(args); }

    test::SimProcess sim;
    // Each test of this fixture runs in a process of its own, side by side with the others.
    std::string csv = ::testing::TempDir() + "velmar-labels-" + std::to_string(sim.Pid()) + ".csv";
};

TEST_F(ChannelCommandsEndToEnd, LabelsRoundTripThroughTheFrameAndAFile) {
    const Outcome set = Cli({"label", "127.0.0.2", "out", "1100", "Stage box 3"});
    ASSERT_EQ(set.code, kExitOk) << set.err;
    EXPECT_EQ(set.out, "out 1100 CARD 2: Stage box 3\n");
    const Outcome refused = Cli({"label", "127.0.0.2", "in", "5", "Mic:5"});
    EXPECT_EQ(refused.code, kExitFailure);
    EXPECT_NE(refused.err.find("may not contain the character ':'"), std::string::npos) << refused.err;

    const Outcome json = Cli({"labels", "127.0.0.2", "--json"});
    ASSERT_EQ(json.code, kExitOk) << json.err;
    EXPECT_NE(
        json.out.find("{\"channel\":1100,\"type\":\"CARD 2\",\"input\":\"\",\"output\":\"Stage box 3\"}"),
        std::string::npos);

    {
        std::ofstream file(csv);
        file << "channel,direction,label\n1,in,Kick\n2,in,Snare\n1100,out,Stage box 3\n";
    }
    // A dry run prints the lines it would send: only what differs from the frame.
    const Outcome dry = Cli({"labels", "127.0.0.2", "--load", csv, "--dry-run"});
    ASSERT_EQ(dry.code, kExitOk) << dry.err;
    EXPECT_EQ(dry.out, "&slabel,0,1,'Kick'\n&slabel,0,2,'Snare'\n");
    const Outcome load = Cli({"labels", "127.0.0.2", "--load", csv});
    ASSERT_EQ(load.code, kExitOk) << load.err;
    EXPECT_EQ(load.out, "3 labels in the file, 2 sent, 2 acknowledged, 0 refused\n");

    // A frame that takes two and then falls silent: the count says two, not five.
    ASSERT_EQ(sim.Do("fault 127.0.0.2 mute slabel 2").substr(0, 2), "ok");
    std::ofstream(csv) << "3,in,A\n4,in,B\n5,in,C\n6,in,D\n7,in,E\n";
    const Outcome quiet = Cli({"labels", "127.0.0.2", "--timeout", "300", "--load", csv});
    EXPECT_EQ(quiet.code, kExitNotResponding);
    EXPECT_EQ(quiet.out, "5 labels in the file, 5 sent, 2 acknowledged, 0 refused\n");
    ASSERT_EQ(sim.Do("fault 127.0.0.2 clear").substr(0, 2), "ok");

    const Outcome save = Cli({"labels", "127.0.0.2", "--save", csv});
    ASSERT_EQ(save.code, kExitOk) << save.err;
    std::ifstream saved(csv);
    const std::string text((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("1,in,Kick\r\n"), std::string::npos);
    EXPECT_NE(text.find("1100,out,Stage box 3\r\n"), std::string::npos);
}

// Labels are frame texts like any other: Windows-1252, escaped for the terminal and for JSON. A
// backup of a frame that holds a label it cannot be sent again restores every other label.
TEST_F(ChannelCommandsEndToEnd, LabelsAreWindows1252AndABackupRestoresWhatItCan) {
    ASSERT_EQ(sim.Do("state 127.0.0.2 glabel 0 1 'Caf\x80\x1b[2J'"), "ok");
    const Outcome shown = Cli({"labels", "127.0.0.2"});
    ASSERT_EQ(shown.code, kExitOk) << shown.err;
    EXPECT_NE(shown.out.find("Caf\u20ac\\x1b[2J"), std::string::npos) << shown.out;
    EXPECT_EQ(shown.out.find('\x1b'), std::string::npos);
    const Outcome json = Cli({"labels", "127.0.0.2", "--json"});
    EXPECT_NE(json.out.find("\"input\":\"Caf\u20ac\\u001b[2J\""), std::string::npos) << json.out;

    const Outcome euro = Cli({"label", "127.0.0.2", "in", "2", "\u20ac\x1b"});
    EXPECT_EQ(euro.code, kExitFailure) << "a control character is refused, not sent";
    const Outcome set = Cli({"label", "127.0.0.2", "in", "2",
                             "\u20ac"
                             "5"});
    ASSERT_EQ(set.code, kExitOk) << set.err;
    EXPECT_EQ(set.out,
              "in 2 CARD 1: \u20ac"
              "5\n");

    ASSERT_EQ(Cli({"labels", "127.0.0.2", "--save", csv}).code, kExitOk);
    ASSERT_EQ(Cli({"label", "127.0.0.2", "in", "2", "Snare"}).code, kExitOk);
    const Outcome load = Cli({"labels", "127.0.0.2", "--load", csv});
    EXPECT_EQ(load.code, kExitFailure) << "a row was left out";
    EXPECT_NE(load.err.find(", line 2: A label may not contain line breaks, tabs or other control "
                            "characters.\n"),
              std::string::npos)
        << load.err;
    EXPECT_NE(load.out.find(", 1 sent, 1 acknowledged, 0 refused, 1 left out\n"), std::string::npos)
        << load.out;
    const Outcome after = Cli({"labels", "127.0.0.2", "--json"});
    EXPECT_NE(after.out.find("{\"channel\":2,\"type\":\"CARD 1\",\"input\":\"\u20ac"
                             "5\""),
              std::string::npos)
        << after.out;
}

TEST_F(ChannelCommandsEndToEnd, InputsAndGainsOfFramesWithAndWithoutCards) {
    ASSERT_EQ(sim.Do("input 127.0.0.2 12 ESa").substr(0, 2), "ok");
    const Outcome inputs = Cli({"inputs", "127.0.0.2", "--json"});
    ASSERT_EQ(inputs.code, kExitOk) << inputs.err;
    EXPECT_NE(
        inputs.out.find(
            "{\"Input\":\"SFP 1\",\"Signal error\":\"error\",\"Sync error\":\"error\",\"Active\":\"no\"}"),
        std::string::npos)
        << inputs.out;
    // A frame without cards: its tools begin at channel 513 and the gain lists end at 1024.
    const Outcome gains = Cli({"gains", "127.0.0.3", "--json"});
    ASSERT_EQ(gains.code, kExitOk) << gains.err;
    EXPECT_NE(gains.out.find("{\"first\":513,\"last\":1024,"), std::string::npos);
    EXPECT_NE(gains.out.find("{\"channel\":1024,\"type\":\"\",\"input\":{\"gain\":0.00,\"phase\":false,"),
              std::string::npos);
}

}  // namespace
}  // namespace velmar
