#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "features/routing/core/ChannelNames.h"
#include "tests/cli/CliRun.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"

namespace velmar {
namespace {

using Outcome = test::CliOutcome;

Outcome Cli(const std::vector<std::string>& args) {
    return test::RunCli(args);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// The default rack's two application frames with a matrix, saved, changed, compared, applied
// back and undone; then the same serial numbers at other addresses.
class ShowCommands : public ::testing::Test {
  protected:
    ShowCommands() : file(test::OwnTempFolder() + "/rack.toml") { sim.ExportPorts(); }

    Outcome Diff() { return Cli({"show", "diff", file}); }

    std::string file;
    test::SimProcess sim;
};

TEST_F(ShowCommands, SaveChangeDiffApplyAndUndo) {
    ASSERT_EQ(Cli({"route", "127.0.0.2", "20", "5"}).code, kExitOk);
    ASSERT_EQ(Cli({"label", "127.0.0.2", "in", "5", "Kick In"}).code, kExitOk);
    ASSERT_EQ(Cli({"detector", "127.0.0.2", "in", "5", "--enable", "--t1", "500:-40"}).code, kExitOk);
    const Outcome saved = Cli({"show", "save", file, "127.0.0.2", "127.0.0.3"});
    ASSERT_EQ(saved.code, kExitOk) << saved.err;
    const std::string show = ReadFile(file);
    EXPECT_NE(show.find("\"" + ChannelText(20) + "\" = \"" + ChannelText(5) + "\"\n"), std::string::npos);
    EXPECT_NE(show.find("\"in 5\" = \"Kick In\"\n"), std::string::npos);
    EXPECT_NE(
        show.find(
            "\"in 5\" = { time1 = 500, level1 = \"-40\", time2 = 0, level2 = \"0\", enabled = true }\n"),
        std::string::npos);
    EXPECT_EQ(Diff().code, kExitOk);

    ASSERT_EQ(Cli({"route", "127.0.0.2", "20", "8"}).code, kExitOk);
    ASSERT_EQ(Cli({"label", "127.0.0.2", "in", "5", "Snare"}).code, kExitOk);
    ASSERT_EQ(Cli({"label", "127.0.0.2", "out", "3", "New"}).code, kExitOk);
    ASSERT_EQ(Cli({"detector", "127.0.0.2", "in", "5", "--disable"}).code, kExitOk);
    ASSERT_EQ(Cli({"card", "127.0.0.2", "2", "3:Phantom power=on"}).code, kExitOk);
    const std::string card = "  cards: card 2 3:Phantom power: on to off\n";
    const std::string unapplied =
        "  labels: label in 5: 'Snare' to 'Kick In'\n"
        "  detectors: detector in 5: 500 ms -40 dB, 0 ms 0 dB, off to 500 ms -40 dB, 0 ms 0 dB, on\n"
        "  kept: label out 3 'New' is not in the show: kept\n"
        "LW160021804011 Wall box (127.0.0.3): as the show\n";
    const std::string differences = "K5A0011703042 Studio A (127.0.0.2): 4 differences\n" + card +
                                    "  routes: " + ChannelText(20) + ": from " + ChannelText(8) + " to " +
                                    ChannelText(5) + "\n" + unapplied;
    const Outcome diff = Diff();
    EXPECT_EQ(diff.code, kExitFailure) << "they differ";
    EXPECT_EQ(diff.out, differences);
    const Outcome json = Cli({"show", "diff", file, "--json"});
    EXPECT_EQ(json.code, kExitFailure);
    EXPECT_NE(json.out.find("\"equal\":false"), std::string::npos);
    EXPECT_NE(json.out.find("\"labels\":[\"label in 5: 'Snare' to 'Kick In'\"]"), std::string::npos)
        << json.out;

    const Outcome routesOnly = Cli({"show", "apply", file, "--only", "routes"});
    ASSERT_EQ(routesOnly.code, kExitOk) << routesOnly.err;
    const std::string rest = "K5A0011703042 Studio A (127.0.0.2): 3 differences\n" + card + unapplied;
    EXPECT_EQ(Diff().out, rest);

    // A dry run prints the very lines the apply then sends, in its order, and sends none of them.
    const Outcome dry = Cli({"show", "apply", file, "--dry-run"});
    EXPECT_EQ(dry.code, kExitOk) << dry.err;
    EXPECT_EQ(dry.out,
              "K5A0011703042 Studio A (127.0.0.2):\n"
              "&sadphanpow,2,3,0\n"
              "&slabel,0,5,'Kick In'\n"
              "&slevdetstate,0,5,1\n"
              "LW160021804011 Wall box (127.0.0.3):\n"
              "  as the show: nothing would be sent\n");
    EXPECT_EQ(Diff().out, rest) << "a dry run sends nothing";

    const Outcome applied = Cli({"show", "apply", file, "--trace"});
    ASSERT_EQ(applied.code, kExitOk) << applied.err;
    std::istringstream trace(applied.err);
    std::string sent;
    for (std::string line; std::getline(trace, line);) {
        if (const std::size_t at = line.find("] > &s"); at != std::string::npos)
            sent += line.substr(at + 4) + "\n";
    }
    EXPECT_EQ(sent, dry.out.substr(dry.out.find('\n') + 1, dry.out.find("LW16") - dry.out.find('\n') - 1));
    EXPECT_NE(applied.out.find("  cards: 1 requests sent, 1 answered, 0 refused\n"
                               "  labels: 1 requests sent, 1 answered, 0 refused\n"
                               "  detectors: 1 requests sent, 1 answered, 0 refused\n"),
              std::string::npos)
        << applied.out;
    EXPECT_NE(applied.err.find(file + ".before-apply.toml"), std::string::npos);
    EXPECT_EQ(Diff().code, kExitOk) << Diff().out;

    // The rack as it was before the last apply comes back with one command.
    const Outcome undone = Cli({"show", "apply", file + ".before-apply.toml"});
    ASSERT_EQ(undone.code, kExitOk) << undone.err;
    EXPECT_EQ(Diff().out, "K5A0011703042 Studio A (127.0.0.2): 3 differences\n" + card + unapplied);
}

// Streams, flows and routes the show names are made as the file says; the undo removes what the
// apply made.
TEST_F(ShowCommands, PpmStreamsAndFlowsAreMadeAsTheShowSaysAndUndone) {
    ASSERT_EQ(Cli({"ppm", "127.0.0.2", "create", "3", "10.0.0.9", "10200", "4", "50"}).code, kExitOk);
    ASSERT_EQ(Cli({"ppm", "127.0.0.2", "assign", "3", "17", "3"}).code, kExitOk);
    ASSERT_EQ(Cli({"flow", "127.0.0.2", "tx", "create", "2", "4", "10.1.1.1", "14530"}).code, kExitOk);
    ASSERT_EQ(Cli({"autoroute", "127.0.0.2", "on"}).code, kExitOk);
    ASSERT_EQ(Cli({"autoroute", "127.0.0.2", "connect", "5", "TRUCK-B", "7"}).code, kExitOk);
    ASSERT_EQ(Cli({"show", "save", file, "127.0.0.2"}).code, kExitOk);
    EXPECT_NE(ReadFile(file).find("\n3 = { address = \"10.0.0.9\", port = 10200, channels = 4, rate = 50, "
                                  "phase = 0, enabled = false, assigned = [17, 18, 19, 0] }\n"),
              std::string::npos);
    EXPECT_NE(
        ReadFile(file).find("\n\"tx 2\" = { slots = 4, address = \"10.1.1.1\", port = 14530, channels = "
                            "[5, 6, 7, 8] }\n\"auto 5\" = { destination = \"localhost\", channel = 7, "
                            "source = \"TRUCK-B\" }\n"),
        std::string::npos);
    ASSERT_EQ(Cli({"ppm", "127.0.0.2", "delete", "3"}).code, kExitOk);
    ASSERT_EQ(Cli({"flow", "127.0.0.2", "tx", "delete", "2"}).code, kExitOk);
    ASSERT_EQ(Cli({"autoroute", "127.0.0.2", "delete", "5"}).code, kExitOk);
    const Outcome applied = Cli({"show", "apply", file, "--only", "ppm,flows"});
    ASSERT_EQ(applied.code, kExitOk) << applied.err;
    EXPECT_NE(applied.out.find("  ppm: 5 requests sent, 5 answered, 0 refused\n"
                               "  flows: 6 requests sent, 6 answered, 0 refused\n"),
              std::string::npos)
        << "a stream made, disabled and three channels; a flow made, four slots and a route: " << applied.out;
    EXPECT_EQ(Diff().code, kExitOk) << Diff().out;
    ASSERT_EQ(Cli({"show", "apply", file + ".before-apply.toml"}).code, kExitOk);
    EXPECT_EQ(Cli({"ppm", "127.0.0.2"}).out, "no PPM streams\n");
    EXPECT_EQ(Cli({"flows", "127.0.0.2"}).out, "unicast clocking off: Unicast clocking off\n");
    EXPECT_EQ(Cli({"autoroute", "127.0.0.2"}).out.find(" <- "), std::string::npos);
}

// The console only ever clears a gain, and clearing takes a channel's input and output together:
// a show that needs anything else says so and is not counted as applied.
TEST_F(ShowCommands, GainsAreClearedBothWaysOrReportedNotSent) {
    sim.Do("state 127.0.0.2 ggain 0 7 -3.50 0 1");
    sim.Do("state 127.0.0.2 ggain 1 7 -1.00 1 0");
    ASSERT_EQ(Cli({"show", "save", file, "127.0.0.2"}).code, kExitOk);
    const std::string show = ReadFile(file);
    const std::string in7 = "\"in 7\" = { gain = \"-3.50\", phase = false, mute = true }";
    const std::string out7 = "\"out 7\" = { gain = \"-1.00\", phase = true, mute = false }";
    const std::string cleared = "{ gain = \"0.00\", phase = false, mute = false }";
    WriteFile(file, Replaced(show, in7, "\"in 7\" = " + cleared));
    // The dry run foretells what the apply reports, and its exit code.
    const Outcome dry = Cli({"show", "apply", file, "--dry-run"});
    EXPECT_EQ(dry.code, kExitFailure);
    EXPECT_EQ(dry.out, "K5A0011703042 Studio A (127.0.0.2):\n  nothing would be sent\n");
    const Outcome half = Cli({"show", "apply", file});
    EXPECT_EQ(half.code, kExitFailure);
    EXPECT_NE(half.err.find("not sent: gain 7: clearing one direction would clear the other"),
              std::string::npos)
        << half.err;
    EXPECT_NE(dry.err.find("not sent: gain 7: clearing one direction would clear the other"),
              std::string::npos)
        << dry.err;
    EXPECT_EQ(half.out.find("gains:"), std::string::npos) << "nothing was sent for it";

    WriteFile(file, Replaced(Replaced(show, in7, "\"in 7\" = " + cleared), out7, "\"out 7\" = " + cleared));
    const Outcome both = Cli({"show", "apply", file});
    EXPECT_EQ(both.code, kExitOk) << both.err;
    EXPECT_NE(both.out.find("  gains: 2 requests sent, 2 answered, 0 refused\n"), std::string::npos)
        << both.out;
    EXPECT_EQ(Diff().code, kExitOk);

    const Outcome undo = Cli({"show", "apply", file + ".before-apply.toml"});
    EXPECT_EQ(undo.code, kExitFailure) << "a gain cannot be set back from here";
    EXPECT_NE(undo.err.find("not sent: gain in 7: the console only clears gains"), std::string::npos)
        << undo.err;
}

// --all saves every frame the discovery finds in its application firmware; the spare in its
// recovery firmware is named and left out.
TEST_F(ShowCommands, SaveAllTakesTheFramesTheDiscoveryFinds) {
    const Outcome saved = Cli({"show", "save", file, "--all"});
    ASSERT_EQ(saved.code, kExitOk) << saved.err;
    EXPECT_NE(saved.err.find("*127.0.0.5 K5A0041705113 is not in its application firmware: not saved"),
              std::string::npos)
        << saved.err;
    const std::string show = ReadFile(file);
    for (const char* frame : {"[frame.K5A0011703042]", "[frame.LW160021804011]", "[frame.K5E0031902007]"})
        EXPECT_NE(show.find(frame), std::string::npos) << frame;
    EXPECT_EQ(Diff().code, kExitOk);
    EXPECT_EQ(Cli({"show", "save", file, "--all", "127.0.0.2"}).code, kExitUsage);
    EXPECT_EQ(Cli({"show", "save", file}).code, kExitUsage);
}

// A K5E has neither labels nor a matrix: it is saved without asking for labels, and compares equal.
TEST_F(ShowCommands, AFrameWithoutLabelsIsSavedWithoutAskingForThem) {
    const Outcome saved = Cli({"show", "save", file, "127.0.0.4"});
    ASSERT_EQ(saved.code, kExitOk) << saved.err;
    EXPECT_EQ(saved.err.find("llabel"), std::string::npos) << saved.err;
    const Outcome diff = Diff();
    EXPECT_EQ(diff.code, kExitOk) << diff.out << diff.err;
}

TEST_F(ShowCommands, AFaultyShowSendsNothing) {
    ASSERT_EQ(Cli({"show", "save", file, "127.0.0.2"}).code, kExitOk);
    const std::string show = ReadFile(file);
    const std::string faulty = test::OwnTempFolder() + "/faulty.toml";
    WriteFile(faulty, Replaced(Replaced(show, "AliveTime = 5\n", "AliveTime = 301\n"), "Name = \"Studio A\"",
                               "Name = \"Studio B\""));
    const Outcome refused = Cli({"show", "apply", faulty});
    EXPECT_EQ(refused.code, kExitFailure);
    EXPECT_NE(refused.err.find(faulty + ":"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("AliveTime: 301 is out of range (0 to 300). Nothing sent."), std::string::npos)
        << refused.err;
    EXPECT_EQ(Diff().code, kExitOk) << "the name was not sent either";

    WriteFile(faulty, Replaced(show, "\"3:Phantom power\" = \"off\"", "\"3:Phantom power\" = \"maybe\""));
    const Outcome card = Cli({"show", "apply", faulty});
    EXPECT_EQ(card.code, kExitFailure);
    EXPECT_NE(card.err.find("'maybe' is not a value of 3:Phantom power (off, on). Nothing sent."),
              std::string::npos)
        << card.err;

    WriteFile(faulty, Replaced(show, "format = 1", "format = 2"));
    const Outcome newer = Cli({"show", "diff", faulty});
    EXPECT_EQ(newer.code, kExitFailure);
    EXPECT_NE(newer.err.find("by a newer Velmar"), std::string::npos);

    std::string elsewhere = Replaced(show, "address = \"127.0.0.2\"", "address = \"127.0.0.40\"");
    for (std::size_t at = 0; (at = elsewhere.find("K5A0011703042", at)) != std::string::npos;)
        elsewhere.replace(at, 13, "K5A9");
    WriteFile(faulty, elsewhere);
    const Outcome missing = Cli({"show", "diff", faulty});
    EXPECT_EQ(missing.code, kExitNotResponding) << missing.out << missing.err;
    EXPECT_EQ(Cli({"show", "apply", file, "--frame", "K5A9"}).code, kExitUsage);
    EXPECT_EQ(Cli({"show", "apply", file, "--only", "colours"}).code, kExitUsage);

    // A K5E has no level detectors: a show that gives it some is refused at that section's line.
    ASSERT_EQ(Cli({"show", "save", file, "127.0.0.4"}).code, kExitOk);
    const std::string k5e = ReadFile(file);
    WriteFile(faulty, k5e + "\n[frame.K5E0031902007.detectors]\n");
    const std::size_t line = static_cast<std::size_t>(std::count(k5e.begin(), k5e.end(), '\n')) + 2;
    const Outcome unoffered = Cli({"show", "apply", faulty});
    EXPECT_EQ(unoffered.code, kExitFailure);
    EXPECT_NE(unoffered.err.find(faulty + ":" + std::to_string(line) +
                                 ": frame K5E0031902007 has no level detectors. Nothing sent."),
              std::string::npos)
        << unoffered.err;
}

TEST(ShowOnAnotherRack, FramesAreFoundBySerialNumber) {
    const std::string file = test::OwnTempFolder() + "/other.toml";
    {
        test::SimProcess first;
        first.ExportPorts();
        ASSERT_EQ(Cli({"route", "127.0.0.2", "20", "5"}).code, kExitOk);
        ASSERT_EQ(Cli({"label", "127.0.0.2", "in", "5", "Kick In"}).code, kExitOk);
        ASSERT_EQ(Cli({"show", "save", file, "127.0.0.2"}).code, kExitOk);
    }
    test::SimProcess second(
        {"--frame",
         "address=127.0.0.12 model=K5A name='Truck A' id=5 serial=K5A0011703042 version=2.1.0.3 "
         "cards=sdi,ad,da,aes,madi,ad,-,- sfp=yes dante=TRUCK-A"});
    second.ExportPorts();
    const Outcome diff = Cli({"show", "diff", file});
    EXPECT_EQ(diff.code, kExitFailure);
    EXPECT_TRUE(diff.out.starts_with("K5A0011703042 Studio A (127.0.0.12): ")) << diff.out;
    const Outcome applied = Cli({"show", "apply", file});
    ASSERT_EQ(applied.code, kExitOk) << applied.err << applied.out;
    const Outcome after = Cli({"show", "diff", file});
    EXPECT_EQ(after.code, kExitOk) << after.out;
    EXPECT_NE(after.out.find("  kept: IP kept as the frame's own (--network sends the show's 127.0.0.2)"),
              std::string::npos)
        << after.out;
}

}  // namespace
}  // namespace velmar
