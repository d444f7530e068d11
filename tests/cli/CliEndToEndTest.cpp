#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "cli/HeadlessConsole.h"
#include "device/Session.h"
#include "device/posix/PosixDatagramSocket.h"
#include "device/posix/PosixEventLoop.h"
#include "device/posix/PosixTcpTransport.h"
#include "device/posix/PosixTimerService.h"
#include "features/routing/core/RoutingUnit.h"
#include "tests/cli/CliRun.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"

namespace velmar {
namespace {

using namespace std::chrono_literals;

// velmar-cli against the default rack of velmar-sim, on ports of the test's own.
class CliEndToEnd : public ::testing::Test {
  protected:
    CliEndToEnd() { sim.ExportPorts(); }

    using Outcome = test::CliOutcome;
    static Outcome Cli(const std::vector<std::string>& args) { return test::RunCli(args); }

    test::SimProcess sim;
};

TEST_F(CliEndToEnd, StatusOfEveryDefaultFrame) {
    const Outcome k5a = Cli({"status", "127.0.0.2"});
    ASSERT_EQ(k5a.code, kExitOk) << k5a.err;
    EXPECT_NE(k5a.out.find("Type:        K5A"), std::string::npos) << k5a.out;
    EXPECT_NE(k5a.out.find("Channels:    1536"), std::string::npos);
    EXPECT_NE(k5a.out.find("Sample rate: "), std::string::npos);
    EXPECT_NE(k5a.out.find("card 2: AD"), std::string::npos);
    EXPECT_NE(k5a.out.find("MADI/Hotlink"), std::string::npos);

    const Outcome lw16 = Cli({"status", "--json", "127.0.0.3"});
    ASSERT_EQ(lw16.code, kExitOk) << lw16.err;
    EXPECT_NE(lw16.out.find("\"type\":\"LW16\""), std::string::npos) << lw16.out;
    EXPECT_NE(lw16.out.find("\"modelClass\":1"), std::string::npos);
    EXPECT_NE(lw16.out.find("\"channels\":1024"), std::string::npos);
    EXPECT_NE(lw16.out.find("\"cards\":[]"), std::string::npos);

    const Outcome k5e = Cli({"status", "127.0.0.4"});
    ASSERT_EQ(k5e.code, kExitOk) << k5e.err;
    EXPECT_NE(k5e.out.find("Type:        K5E"), std::string::npos);
    EXPECT_EQ(k5e.out.find("Sync source"), std::string::npos);  // class 2 is never polled

    // The recovery-mode frame is reached on the Telnet port, after its 300 ms hold.
    const Outcome recovery = Cli({"status", "*127.0.0.5"});
    ASSERT_EQ(recovery.code, kExitOk) << recovery.err;
    const std::string port = "port " + std::to_string(sim.GetPorts().telnet) + ", recovery mode";
    EXPECT_NE(recovery.out.find(port), std::string::npos) << recovery.out;
    EXPECT_NE(recovery.out.find("position 2: APP"), std::string::npos);
}

TEST_F(CliEndToEnd, RouteIsAnsweredAndShowsInTheRoutes) {
    const Outcome route = Cli({"route", "127.0.0.2", "1100", "600"});
    ASSERT_EQ(route.code, kExitOk) << route.err;
    EXPECT_EQ(route.out, "1100 CARD2 76 <- 600 MADI 08\n");
    const Outcome routes = Cli({"routes", "127.0.0.2"});
    ASSERT_EQ(routes.code, kExitOk);
    EXPECT_NE(routes.out.find("1100 CARD2 76     <-  600 MADI 08"), std::string::npos) << routes.out;
    const Outcome json = Cli({"routes", "--json", "127.0.0.2"});
    EXPECT_NE(json.out.find("{\"output\":1100,\"outputName\":\"CARD2 76\",\"input\":600"), std::string::npos);

    EXPECT_EQ(Cli({"route", "127.0.0.3", "1100", "1"}).code, kExitUsage);  // LW16: 1024 channels
    sim.Do("fault 127.0.0.2 status scross 5");
    const Outcome refused = Cli({"route", "127.0.0.2", "3", "4"});
    EXPECT_EQ(refused.code, kExitFailure);
    EXPECT_NE(refused.err.find("refused the route to output 3 CARD1 03 (status 5)"), std::string::npos)
        << refused.err;

    // The event log on stderr: the connect, and the refusal with the frame's status.
    const Outcome logged = Cli({"route", "--events", "127.0.0.2", "3", "4"});
    EXPECT_NE(logged.err.find("info  Connected to "), std::string::npos) << logged.err;
    EXPECT_NE(logged.err.find(" (127.0.0.2)."), std::string::npos) << logged.err;
    EXPECT_NE(
        logged.err.find("warning  The frame refused to feed CARD1 03 from CARD1 04 (status 5); it still "
                        "feeds it from"),
        std::string::npos)
        << logged.err;
}

// A frame read only in part: the CLI shows what arrived, names what did not, and exits 1 for a
// refusal, 3 for silence.
TEST_F(CliEndToEnd, AFrameReadInPartIsNamedAndNeverSaved) {
    sim.Do("fault 127.0.0.2 status lcross -1");
    const std::string file = ::testing::TempDir() + "/velmar-partial-" + std::to_string(sim.Pid()) + ".xpt";
    const Outcome refused = Cli({"routes", "127.0.0.2", "--save", file});
    EXPECT_EQ(refused.code, kExitFailure);
    EXPECT_NE(refused.err.find(
                  "velmar-cli: the frame refused: lcross 1..128 (status -1), lcross 129..256 (status -1)"),
              std::string::npos)
        << refused.err;
    EXPECT_FALSE(std::ifstream(file).good()) << "a snapshot without the routing is not written";
    EXPECT_EQ(Cli({"status", "127.0.0.2"}).code, kExitOk);
    sim.Do("fault 127.0.0.2 clear");

    // Every answer held back 1.5 s against a 2 s limit: the start sequence arrives, the state
    // poll's answers do not.
    sim.Do("fault 127.0.0.3 delay 1500");
    const Outcome late = Cli({"status", "--timeout", "2000", "127.0.0.3"});
    EXPECT_EQ(late.code, kExitNotResponding);
    EXPECT_NE(late.out.find("Wall box"), std::string::npos) << late.out;
    EXPECT_NE(late.err.find("velmar-cli: no answer to: gactrate, gsyncstat, lcross 1..128, lcross 129..256"),
              std::string::npos)
        << late.err;
}

TEST_F(CliEndToEnd, ExitCodesTellNotRespondingFromUsage) {
    EXPECT_EQ(Cli({"probe", "127.0.0.2"}).code, kExitOk);
    EXPECT_EQ(Cli({"probe", "127.0.0.77"}).code, kExitNotResponding);
    const Outcome absent = Cli({"status", "127.0.0.77"});
    EXPECT_EQ(absent.code, kExitNotResponding);
    EXPECT_NE(absent.err.find("Connect failed, target not responding"), std::string::npos);
    EXPECT_EQ(Cli({"status"}).code, kExitUsage);
    EXPECT_EQ(Cli({"route", "127.0.0.2", "x", "1"}).code, kExitUsage);
    EXPECT_EQ(Cli({"status", "--bogus", "127.0.0.2"}).code, kExitUsage);
    EXPECT_EQ(Cli({"probe", "not-an-address"}).code, kExitUsage);
}

TEST_F(CliEndToEnd, TraceShowsBothDirectionsWithTimeStamps) {
    const Outcome traced = Cli({"status", "--trace", "127.0.0.3"});
    ASSERT_EQ(traced.code, kExitOk);
    EXPECT_NE(traced.err.find("ms] > ?gdevid"), std::string::npos) << traced.err.substr(0, 400);
    EXPECT_NE(traced.err.find("ms] < :gdevid,0,2,'Wall box'"), std::string::npos);
    EXPECT_NE(traced.err.find("ms] > ?lcross,897,128"), std::string::npos);
}

// Two consoles on one loop, each with its own sockets and timers.
struct Console {
    explicit Console(PosixEventLoop& loop)
        : timers(loop),
          tcp(loop),
          datagrams(loop),
          session(tcp, datagrams, timers, LinkPorts::FromEnvironment(), {}),
          view(session) {}
    PosixTimerService timers;
    PosixTcpTransport tcp;
    PosixDatagramSocket datagrams;
    Session session;
    HeadlessConsole view;
};

TEST_F(CliEndToEnd, RoutingChangeReachesASecondClientAsNotification) {
    PosixEventLoop loop;
    Console a(loop);
    Console b(loop);
    a.session.Connect("127.0.0.2", DeviceMode::Application, ModelClass::Full);
    b.session.Connect("127.0.0.2", DeviceMode::Application, ModelClass::Full);
    ASSERT_TRUE(loop.RunUntil([&] { return a.view.FrameRead() && b.view.FrameRead(); }, 5s));

    std::optional<bool> seenByB;
    b.session.SetRecordObserver([&](const CommandMessage& m, bool isReply) {
        if (m.Int(14) == 7 &&
            (m.code == ToCode(CommandCode::gcross) || m.code == ToCode(CommandCode::scross)))
            seenByB = isReply;
    });
    a.session.Feature<RoutingUnit>().SetCrosspoint(7, 913);
    ASSERT_TRUE(loop.RunUntil([&] { return seenByB.has_value(); }, 3s));
    EXPECT_FALSE(*seenByB);
    EXPECT_EQ(b.session.Feature<RoutingUnit>().Crosspoints()[6], 913);
    loop.RunUntil([&] { return a.session.Feature<RoutingUnit>().Crosspoints()[6] == 913; }, 1s);
    EXPECT_EQ(a.session.Feature<RoutingUnit>().Crosspoints()[6], 913);
}

TEST_F(CliEndToEnd, SilentFrameIsDroppedWithinTwoKeepAlivePeriods) {
    PosixEventLoop loop;
    Console console(loop);
    console.session.Connect("127.0.0.3", DeviceMode::Application, ModelClass::NoCards);
    ASSERT_TRUE(loop.RunUntil([&] { return console.view.FrameRead(); }, 5s));
    sim.Do("fault 127.0.0.3 silent");
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(loop.RunUntil([&] { return console.view.LinkLost(); }, 12s));
    EXPECT_LE(std::chrono::steady_clock::now() - start, 10500ms);
    EXPECT_EQ(console.view.Title(), " Velmar   ( Link lost - Wall box )");
}

TEST_F(CliEndToEnd, GarbageAndRunOnLinesDoNotBreakTheLink) {
    PosixEventLoop loop;
    Console console(loop);
    console.session.Connect("127.0.0.2", DeviceMode::Application, ModelClass::Full);
    ASSERT_TRUE(loop.RunUntil([&] { return console.view.FrameRead(); }, 5s));
    sim.Do("fault 127.0.0.2 runon");
    sim.Do("fault 127.0.0.2 garbage");
    sim.Do("fault 127.0.0.2 split");
    loop.RunUntil([] { return false; }, 200ms);
    std::optional<std::int32_t> answered;
    console.session.SetRecordObserver([&](const CommandMessage& m, bool isReply) {
        if (isReply && m.code == ToCode(CommandCode::gcross) && m.Int(14) == 9)
            answered = m.Int(18);
    });
    console.session.Feature<RoutingUnit>().SetCrosspoint(9, 10);
    console.session.Feature<RoutingUnit>().Crosspoint(9);
    ASSERT_TRUE(loop.RunUntil([&] { return answered.has_value(); }, 3s));
    EXPECT_EQ(*answered, 10);
    EXPECT_TRUE(console.session.Connection().connected);
}

}  // namespace
}  // namespace velmar

namespace velmar {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST_F(CliEndToEnd, RoutingSavedFromTheSimulatorLoadsBackIdentically) {
    const std::string dir = ::testing::TempDir();
    const std::string before = dir + "/velmar-routes-before-" + std::to_string(sim.Pid()) + ".xpt";
    const std::string after = dir + "/velmar-routes-after-" + std::to_string(sim.Pid()) + ".xpt";
    for (const auto& [output, input] : {std::pair{1100, 600}, {601, 517}, {5, 1536}}) {
        ASSERT_EQ(Cli({"route", "127.0.0.2", std::to_string(output), std::to_string(input)}).code, kExitOk);
    }
    const Outcome saved = Cli({"routes", "127.0.0.2", "--save", before});
    ASSERT_EQ(saved.code, kExitOk) << saved.err;
    const std::string snapshot = ReadFile(before);
    EXPECT_NE(snapshot.find("=1100,600\r\n"), std::string::npos) << snapshot;

    for (const int output : {1100, 601, 5}) {
        ASSERT_EQ(Cli({"route", "127.0.0.2", std::to_string(output), "0"}).code, kExitOk);
    }
    const Outcome dryRun = Cli({"load-routes", "127.0.0.2", before, "--dry-run"});
    ASSERT_EQ(dryRun.code, kExitOk) << dryRun.err;
    EXPECT_NE(dryRun.out.find("scross 1100 600   CARD2 76 <- MADI 08\n"), std::string::npos) << dryRun.out;
    EXPECT_EQ(Cli({"routes", "127.0.0.2"}).out.find("CARD2 76"), std::string::npos)
        << "a dry run sends nothing";

    const Outcome loaded = Cli({"load-routes", "127.0.0.2", before});
    ASSERT_EQ(loaded.code, kExitOk) << loaded.err << loaded.out;
    ASSERT_EQ(Cli({"routes", "127.0.0.2", "--save", after}).code, kExitOk);
    EXPECT_EQ(ReadFile(after), snapshot);

    EXPECT_EQ(Cli({"load-routes", "127.0.0.2", dir + "/no-such-file.xpt"}).code, kExitFailure);
    std::remove(before.c_str());
    std::remove(after.c_str());
}

// Every file a command reads or writes goes through the same reader and saver: what is not a
// regular file is refused at once (a folder once aborted the program, a FIFO hung it with the
// frame's link held open, /dev/zero grew until it died), with the same message in every command.
TEST_F(CliEndToEnd, EveryCommandRefusesFilesThatAreNotRegularAndSavesThroughLinks) {
    const std::string dir = test::OwnTempFolder() + "/cli-files";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir + "/folder");
    ASSERT_EQ(::mkfifo((dir + "/fifo").c_str(), 0600), 0);
    const std::vector<std::vector<std::string>> readers = {{"load-routes", "127.0.0.2"},
                                                           {"labels", "127.0.0.2", "--load"},
                                                           {"flash", "127.0.0.2"},
                                                           {"settings", "apply", "127.0.0.2"}};
    for (const std::string& file : {dir + "/folder", dir + "/fifo", std::string("/dev/zero")}) {
        for (std::vector<std::string> args : readers) {
            args.push_back(file);
            const Outcome refused = Cli(args);
            EXPECT_EQ(refused.code, kExitFailure) << args[0] << " " << file << ": " << refused.err;
            EXPECT_NE(refused.err.find(file + " is a"), std::string::npos) << refused.err;
            EXPECT_NE(refused.err.find("only regular files are read."), std::string::npos) << refused.err;
        }
    }

    // A save replaces what a link points to and keeps the link; a device is never replaced.
    std::ofstream(dir + "/real.xpt") << "old";
    std::filesystem::create_symlink("real.xpt", dir + "/link.xpt");
    ASSERT_EQ(Cli({"route", "127.0.0.2", "1100", "600"}).code, kExitOk);
    ASSERT_EQ(Cli({"routes", "127.0.0.2", "--save", dir + "/link.xpt"}).code, kExitOk);
    EXPECT_TRUE(std::filesystem::is_symlink(dir + "/link.xpt"));
    EXPECT_NE(ReadFile(dir + "/real.xpt").find("=1100,600\r\n"), std::string::npos);
    for (const std::vector<std::string>& save : {std::vector<std::string>{"routes", "127.0.0.2", "--save"},
                                                 {"labels", "127.0.0.2", "--save"},
                                                 {"settings", "save", "127.0.0.2"}}) {
        std::vector<std::string> args = save;
        args.push_back(dir + "/fifo");
        const Outcome refused = Cli(args);
        EXPECT_EQ(refused.code, kExitFailure) << args[0];
        EXPECT_NE(refused.err.find(dir + "/fifo is not a regular file, so it is not replaced"),
                  std::string::npos)
            << refused.err;
        EXPECT_TRUE(std::filesystem::is_fifo(dir + "/fifo"));
    }
    std::filesystem::remove_all(dir);
}

TEST_F(CliEndToEnd, SnapshotsAsPeopleHaveThem) {
    const std::string path = ::testing::TempDir() + "/velmar-routes-" + std::to_string(sim.Pid()) + ".xpt";
    std::ofstream(path, std::ios::binary) << "1=11,12\r2=12,13\r3=13,14\rjunk\r5=9,0";
    const Outcome dryRun = Cli({"load-routes", "127.0.0.2", path, "--dry-run"});
    ASSERT_EQ(dryRun.code, kExitOk) << dryRun.err;
    EXPECT_EQ(std::count(dryRun.out.begin(), dryRun.out.end(), '\n'), 3) << dryRun.out;
    EXPECT_EQ(dryRun.err,
              "velmar-cli: line 4 skipped: no \"=\"\n"
              "velmar-cli: line 5 skipped: input 0: loading never disconnects an output\n");
    const Outcome loaded = Cli({"load-routes", "127.0.0.2", path});
    ASSERT_EQ(loaded.code, kExitOk) << loaded.err;
    EXPECT_EQ(loaded.out, "3 crosspoints sent, 3 answered, 0 refused\n");
    EXPECT_NE(loaded.err.find("2 lines of " + path + " skipped"), std::string::npos) << loaded.err;

    std::string utf16 = "\xFF\xFE";
    for (const char c : std::string("1=20,21\r\n"))
        utf16 += std::string{c, '\0'};
    std::ofstream(path, std::ios::binary) << utf16;
    const Outcome refused = Cli({"load-routes", "127.0.0.2", path});
    EXPECT_EQ(refused.code, kExitFailure);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find("UTF-16"), std::string::npos) << refused.err;
    EXPECT_EQ(Cli({"routes", "--json", "127.0.0.2"}).out.find("\"output\":20,"), std::string::npos)
        << "nothing was sent";
    std::remove(path.c_str());
}

}  // namespace
}  // namespace velmar

namespace velmar {
namespace {

TEST_F(CliEndToEnd, DiscoverListsTheRackWithTheDeviceListColumns) {
    const Outcome table = Cli({"discover"});
    ASSERT_EQ(table.code, kExitOk) << table.err;
    EXPECT_EQ(table.out.rfind("IP address", 0), 0u) << table.out;
    for (const char* address : {"127.0.0.2 ", "127.0.0.3 ", "127.0.0.4 ", "*127.0.0.5 "}) {
        EXPECT_NE(table.out.find(address), std::string::npos) << address << "\n" << table.out;
    }
    const Outcome json = Cli({"discover", "--json"});
    ASSERT_EQ(json.code, kExitOk) << json.err;
    EXPECT_NE(json.out.find("{\"address\":\"127.0.0.3\",\"id\":"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"type\":\"LW16\""), std::string::npos) << json.out;
}

}  // namespace
}  // namespace velmar

namespace velmar {
namespace {

// A frame's texts are 8-bit: shown as Windows-1252 in UTF-8, with control characters escaped for
// the terminal and for JSON.
TEST_F(CliEndToEnd, FrameTextsAreDecodedAndNeverReachTheTerminalRaw) {
    sim.Do("state 127.0.0.2 gdevid 7 'Caf\xe9\x1b[31m\x07\x81'");
    const Outcome status = Cli({"status", "127.0.0.2"});
    ASSERT_EQ(status.code, kExitOk) << status.err;
    EXPECT_NE(status.out.find("Name:        Caf\u00e9\\x1b[31m\\x07\\x81 (ID 7)\n"), std::string::npos)
        << status.out;
    EXPECT_EQ(status.out.find('\x1b'), std::string::npos);

    const Outcome json = Cli({"status", "--json", "127.0.0.2"});
    ASSERT_EQ(json.code, kExitOk) << json.err;
    EXPECT_NE(json.out.find("\"name\":\"Caf\u00e9\\u001b[31m\\u0007\\u0081\""), std::string::npos)
        << json.out;

    // The discovery answer names the frame in 8-bit text too; a byte above 0x7F is decoded.
    sim.Do(
        "state 127.0.0.3 gdevid 2 'Salle\xe0"
        "c\xf4t\xe9'");
    const Outcome table = Cli({"discover"});
    EXPECT_NE(table.out.find("Salle\u00e0c\u00f4t\u00e9  "), std::string::npos) << table.out;
    const Outcome listed = Cli({"discover", "--json"});
    EXPECT_NE(listed.out.find("\"name\":\"Salle\u00e0c\u00f4t\u00e9\""), std::string::npos) << listed.out;
}

}  // namespace
}  // namespace velmar
