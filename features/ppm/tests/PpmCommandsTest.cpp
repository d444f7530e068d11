#include <gtest/gtest.h>

#include "tests/cli/CliRun.h"
#include "tests/support/SimProcess.h"

namespace velmar {
namespace {

// ppm against velmar-sim's default rack.
class PpmCommands : public ::testing::Test {
  protected:
    PpmCommands() { sim.ExportPorts(); }

    using Outcome = test::CliOutcome;
    static Outcome Cli(const std::vector<std::string>& args) { return test::RunCli(args); }

    test::SimProcess sim;
};

TEST_F(PpmCommands, PpmStreamCycleThroughTheCli) {
    const Outcome dry =
        Cli({"ppm", "127.0.0.2", "create", "5", "10.0.0.152", "10200", "8", "50", "1", "--dry-run"});
    ASSERT_EQ(dry.code, kExitOk) << dry.err;
    EXPECT_EQ(dry.out, "&sppmcreate,'10.0.0.152',10200,5,8,50,1\n");
    EXPECT_EQ(Cli({"ppm", "127.0.0.2"}).out, "no PPM streams\n") << "a dry run sends nothing";

    const Outcome created = Cli({"ppm", "127.0.0.2", "create", "5", "10.0.0.152", "10200", "8", "50", "1"});
    ASSERT_EQ(created.code, kExitOk) << created.err;
    EXPECT_EQ(Cli({"ppm", "127.0.0.2", "create", "5", "10.0.0.152", "10201", "8", "50"}).code, kExitFailure)
        << "the ID is taken";
    EXPECT_EQ(Cli({"ppm", "127.0.0.2", "create", "6", "10.0.0.152", "65536", "8", "50"}).code, kExitUsage);
    ASSERT_EQ(Cli({"ppm", "127.0.0.2", "assign", "5", "65"}).code, kExitOk);
    ASSERT_EQ(Cli({"ppm", "127.0.0.2", "enable", "5"}).code, kExitOk);
    const Outcome listed = Cli({"ppm", "127.0.0.2", "--json"});
    ASSERT_EQ(listed.code, kExitOk) << listed.err;
    EXPECT_EQ(listed.out,
              "{\"streams\":[{\"id\":5,\"address\":\"10.0.0.152\",\"port\":10200,\"channels\":8,\"rate\":50,"
              "\"phase\":1,\"enabled\":true,\"assignment\":[65,66,67,68,69,70,71,72]}]}\n");
    ASSERT_EQ(Cli({"ppm", "127.0.0.2", "delete", "5"}).code, kExitOk);
    EXPECT_EQ(Cli({"ppm", "127.0.0.2", "delete", "5"}).code, kExitFailure);
    EXPECT_EQ(Cli({"ppm", "127.0.0.2"}).out, "no PPM streams\n");
}

}  // namespace
}  // namespace velmar
