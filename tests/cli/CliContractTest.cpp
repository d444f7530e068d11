#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli/CliRun.h"
#include "tests/support/SimProcess.h"

namespace velmar {
namespace {

// velmar-cli's promises (exit 0 only when everything it asked was answered, 1 naming a refusal,
// 2 saying why a frame does not offer a command, 3 naming what went unanswered) on a rack of
// frames that lack one thing each.
class CliContract : public ::testing::Test {
  protected:
    CliContract()
        : sim({"--restart-ms", "300",                                                 //
               "--frame", "model=K5A name=Plain serial=K5A0000000002 cards=ad,da",    // 127.0.0.2: no Dante
               "--frame", "model=K5A mode=recovery name=Spare serial=K5A0000000003",  // .3: recovery
               "--frame", "model=K5E name=Edge serial=K5E0000000004",                 // .4: no matrix
               "--frame", "model=K5A name=Old version=1.4.0.1 dante=OLD",             // .5: before labels
               "--frame", "model=K5A name=Full dante=FULL"}) {                        // .6: everything
        sim.ExportPorts();
        std::filesystem::create_directories(folder);
    }
    ~CliContract() override { std::filesystem::remove_all(folder); }

    using Outcome = test::CliOutcome;
    static Outcome Cli(const std::vector<std::string>& args) { return test::RunCli(args); }
    // The exit code, and stderr when it is not the one expected.
    static void Expect(int code, const std::vector<std::string>& args, const std::string& err = {}) {
        const Outcome outcome = Cli(args);
        EXPECT_EQ(outcome.code, code) << args[0] << " " << args[1] << ": " << outcome.err;
        if (!err.empty()) {
            EXPECT_NE(outcome.err.find(err), std::string::npos) << args[0] << ": " << outcome.err;
        }
    }

    test::SimProcess sim;
    const std::string folder = testing::TempDir() + "/velmar-contract-" + std::to_string(::getpid());
};

// The frame refuses every Dante word: that is nobody's failure but the Dante commands', which
// are not offered at all.
TEST_F(CliContract, AFrameWithoutADanteModuleAnswersEveryCommand) {
    const std::string frame = "127.0.0.2";
    const std::string routes = folder + "/routes.xpt";
    const std::string settings = folder + "/settings.cfg";
    Expect(kExitOk, {"status", frame});
    Expect(kExitOk, {"status", "--json", frame});
    Expect(kExitOk, {"routes", frame, "--save", routes});
    Expect(kExitOk, {"route", frame, "2", "3"});
    Expect(kExitOk, {"load-routes", frame, routes});
    Expect(kExitOk, {"inputs", frame});
    Expect(kExitOk, {"labels", frame});
    Expect(kExitOk, {"label", frame, "in", "5", "Vocals"});
    Expect(kExitOk, {"gains", frame});
    Expect(kExitOk, {"cards", frame});
    Expect(kExitOk, {"card", frame, "1", "1:State=mute"});
    Expect(kExitOk, {"settings save", frame, settings});
    Expect(kExitOk, {"settings apply", frame, settings});
    const std::string none = "velmar-cli: 127.0.0.2 has no Dante module: no ";
    Expect(kExitUsage, {"detectors", frame}, none + "level detectors from here");
    Expect(kExitUsage, {"detector", frame, "in", "1", "--enable"}, none + "level detectors");
    Expect(kExitUsage, {"ppm", frame}, none + "PPM streams");
    Expect(kExitUsage, {"flows", frame}, none + "IP flows");
    Expect(kExitUsage, {"flow", frame, "tx", "delete", "1"}, none + "IP flows");
    Expect(kExitUsage, {"unicast-clock", frame, "on"}, none + "IP flows");
    Expect(kExitUsage, {"autoroute", frame}, none + "automatic IP routing");

    // Nothing changed, nothing sent: the frame's own settings, as status shows them.
    const Outcome same = Cli(
        {"netset", frame, "--ip", "127.0.0.2", "--mask", "255.0.0.0", "--gateway", "127.0.0.1", "--trace"});
    EXPECT_EQ(same.code, kExitOk) << same.err;
    EXPECT_NE(same.out.find("unchanged; nothing sent"), std::string::npos) << same.out;
    EXPECT_EQ(same.err.find("&sip"), std::string::npos) << same.err;
    Expect(kExitOk, {"factory-reset", frame});
    const Outcome restart = Cli({"restart", frame});
    EXPECT_EQ(restart.code, kExitOk) << restart.err;
    EXPECT_NE(restart.out.find("restart sent to 127.0.0.2"), std::string::npos);
}

TEST_F(CliContract, TheMenusGatesAreTheCommandsGates) {
    Expect(kExitUsage, {"restart", "*127.0.0.3"},
           "127.0.0.3 runs its recovery firmware: no restart from here; use application");
    Expect(kExitUsage, {"factory-reset", "*127.0.0.3"},
           "127.0.0.3 runs its recovery firmware: no factory reset");
    Expect(kExitUsage, {"routes", "127.0.0.4"},
           "127.0.0.4 is a frame without a matrix (class 2): no routing");
    Expect(kExitUsage, {"ppm", "127.0.0.4"}, "without a matrix");
    Expect(kExitUsage, {"labels", "127.0.0.5"},
           "127.0.0.5 runs software 1040001: no channel labels from here");
    Expect(kExitUsage, {"label", "127.0.0.5", "in", "1", "x"}, "no channel labels");
    Expect(kExitOk, {"flows", "127.0.0.5"});
    // Automatic routing is off until it is turned on: its latency and routes wait for that.
    Expect(kExitUsage, {"autoroute", "127.0.0.6", "latency", "500"}, "127.0.0.6 has automatic routing off");
    Expect(kExitUsage, {"autoroute", "127.0.0.6", "connect", "1", "OTHER", "2"}, "automatic routing off");
    Expect(kExitOk, {"autoroute", "127.0.0.6", "on"});
    Expect(kExitOk, {"autoroute", "127.0.0.6", "latency", "500"});
}

// What the frame refused is named and never shown as a value.
TEST_F(CliContract, RefusalsAreNamedAndNeverShownAsValues) {
    const std::string frame = "127.0.0.6";
    sim.Do("fault " + frame + " status lppmid -1");
    const Outcome ppm = Cli({"ppm", frame});
    EXPECT_EQ(ppm.code, kExitFailure);
    EXPECT_EQ(ppm.out.find("no PPM streams"), std::string::npos) << ppm.out;
    EXPECT_NE(ppm.err.find("the frame refused lppmid (status -1)"), std::string::npos) << ppm.err;

    sim.Do("fault " + frame + " status guniclkip -2");
    const Outcome flows = Cli({"flows", "--trace", frame});
    EXPECT_EQ(flows.code, kExitFailure);
    EXPECT_EQ(flows.out.find("unicast clocking off"), std::string::npos) << flows.out;
    EXPECT_NE(flows.err.find("> ?grxportrng"), std::string::npos) << "the flows' opening sequence asks it";

    sim.Do("fault " + frame + " status gautorouteip -3");
    const Outcome autoroute = Cli({"autoroute", "--json", frame});
    EXPECT_EQ(autoroute.code, kExitFailure);
    EXPECT_EQ(autoroute.out.find("\"frameRate\":0"), std::string::npos) << autoroute.out;

    sim.Do("fault " + frame + " status gswver -1");
    const Outcome status = Cli({"status", frame});
    EXPECT_EQ(status.code, kExitFailure);
    EXPECT_NE(status.out.find("Channels:    unknown"), std::string::npos) << status.out;
    EXPECT_NE(Cli({"status", "--json", frame}).out.find("\"channels\":null"), std::string::npos);

    // A restart the frame refuses leaves it where it is, and says so.
    sim.Do("fault " + frame + " status srestart 4");
    const Outcome restart = Cli({"restart", frame});
    EXPECT_EQ(restart.code, kExitFailure);
    EXPECT_NE(restart.err.find("the frame refused srestart 1 (status 4)"), std::string::npos) << restart.err;
    EXPECT_EQ(restart.out.find("restart sent"), std::string::npos);
}

// A frame that answers its reading but none of the sets: each command says which one went
// unanswered and nothing is printed as done.
TEST_F(CliContract, SetsThatAreNeverAnsweredAreNamed) {
    const std::string settings = folder + "/full.cfg";
    Expect(kExitOk, {"settings save", "127.0.0.6", settings});
    const std::string frame = "127.0.0.2";
    sim.Do("fault " + frame + " ignore-sets");
    const std::vector<std::pair<std::vector<std::string>, std::string>> sets{
        {{"label", frame, "in", "5", "Vocals"}, "no answer to slabel"},
        {{"route", frame, "2", "3"}, "no answer to the routing request for output 2"},
        {{"card", frame, "1", "1:State=mute"}, "no answer to sadmute"},
        {{"settings apply", frame, settings}, "no answer to sdevid"},
        {{"netset", frame, "--ip", "127.0.0.66", "--mask", "255.0.0.0", "--gateway", "127.0.0.1"},
         "no answer to sip"},
        {{"restart", frame}, "no answer to srestart 1"},
    };
    for (const auto& [args, named] : sets) {
        std::vector<std::string> line = args;
        line.insert(line.end(), {"--timeout", "2000"});
        const Outcome outcome = Cli(line);
        EXPECT_EQ(outcome.code, kExitNotResponding) << args[0] << ": " << outcome.err;
        EXPECT_NE(outcome.err.find(named), std::string::npos) << args[0] << ": " << outcome.err;
        // `settings apply` counts what it sent; nothing claims to be done.
        EXPECT_TRUE(outcome.out.empty() || outcome.out.find(", 0 answered") != std::string::npos)
            << args[0] << ": " << outcome.out;
    }
}

}  // namespace
}  // namespace velmar
