#include <gtest/gtest.h>

#include "tests/cli/CliRun.h"
#include "tests/support/SimProcess.h"

namespace velmar {
namespace {

// detectors and detector against velmar-sim's default rack.
class LevelDetectorCommands : public ::testing::Test {
  protected:
    LevelDetectorCommands() { sim.ExportPorts(); }

    using Outcome = test::CliOutcome;
    static Outcome Cli(const std::vector<std::string>& args) { return test::RunCli(args); }

    test::SimProcess sim;
};

TEST_F(LevelDetectorCommands, ADetectorSetTripsAndShowsItsStatus) {
    const Outcome dry =
        Cli({"detector", "127.0.0.2", "in", "3-4", "--t1", "100:-40.5", "--enable", "--dry-run"});
    ASSERT_EQ(dry.code, kExitOk) << dry.err;
    EXPECT_EQ(dry.out,
              "&slevdetthres,0,3,-40.50,100,0.00,0\n&slevdetstate,0,3,1\n"
              "&slevdetthres,0,4,-40.50,100,0.00,0\n&slevdetstate,0,4,1\n");
    const Outcome set = Cli({"detector", "127.0.0.2", "in", "3-4", "--t1", "100:-40.5", "--enable"});
    ASSERT_EQ(set.code, kExitOk) << set.err;
    EXPECT_EQ(set.out, "in 3 CARD 1: 100, -40.50, 0, 0, 1, 0\nin 4 CARD 1: 100, -40.50, 0, 0, 1, 0\n");
    // Set once, nothing differs any more.
    EXPECT_EQ(Cli({"detector", "127.0.0.2", "in", "3-4", "--enable", "--dry-run"}).out, "");

    ASSERT_EQ(sim.Do("trip 127.0.0.2 in 3").substr(0, 2), "ok");
    const Outcome all = Cli({"detectors", "127.0.0.2"});
    ASSERT_EQ(all.code, kExitOk) << all.err;
    EXPECT_NE(all.out.find("\n3        CARD 1  100, -40.50, 0, 0, 1, 1 | 0, 0, 0, 0, 0, 0\n"),
              std::string::npos);

    const Outcome wraps = Cli({"detector", "127.0.0.2", "out", "3", "--t2", "100:70000"});
    EXPECT_EQ(wraps.code, kExitUsage);
    const Outcome tooLong = Cli({"detector", "127.0.0.2", "out", "3", "--t1", "600000:0"});
    EXPECT_EQ(tooLong.code, kExitUsage);
    EXPECT_NE(tooLong.err.find("0 to 60000"), std::string::npos);
}

// A frame that has no level detectors was never offered the command: usage, and why.
TEST_F(LevelDetectorCommands, AFrameWithoutThemIsToldWhyAndNothingIsSent) {
    const Outcome edge = Cli({"detectors", "127.0.0.4"});
    EXPECT_EQ(edge.code, kExitUsage);
    EXPECT_EQ(edge.err,
              "velmar-cli: 127.0.0.4 is a frame without a matrix (class 2): no level detectors from here\n");
    EXPECT_EQ(edge.out, "");
    const Outcome spare = Cli({"detector", "*127.0.0.5", "in", "3", "--enable"});
    EXPECT_EQ(spare.code, kExitUsage);
    EXPECT_EQ(
        spare.err,
        "velmar-cli: 127.0.0.5 runs its recovery firmware: no level detectors from here; use application\n");
}

}  // namespace
}  // namespace velmar
