#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/cli/CliRun.h"
#include "tests/support/Eventually.h"
#include "tests/support/FlashImage.h"
#include "tests/support/LineClient.h"
#include "tests/support/SimProcess.h"

namespace velmar {
namespace {

using namespace std::chrono_literals;

// velmar-cli's maintenance commands against the default rack.
class MaintenanceCommandsTest : public ::testing::Test {
  protected:
    MaintenanceCommandsTest() : sim({"--restart-ms", "300"}) {
        sim.ExportPorts();
        std::filesystem::create_directories(folder);
    }
    ~MaintenanceCommandsTest() override { std::filesystem::remove_all(folder); }

    using Outcome = test::CliOutcome;
    static Outcome Cli(const std::vector<std::string>& args) { return test::RunCli(args); }

    std::string Image(const std::string& name, std::size_t records, std::string_view lineEnd = "\n") {
        return test::WriteFlashImage(folder + "/" + name, records, lineEnd);
    }

    std::string Info(const std::string& address) { return sim.Do("info " + address); }
    bool InfoSoonHas(const std::string& address, const std::string& fact) {
        return test::Eventually([&] { return Info(address).find(fact) != std::string::npos; });
    }

    test::SimProcess sim;
    // A folder of this process's own, so that runs side by side do not share image files.
    const std::string folder = testing::TempDir() + "/velmar-cli-" + std::to_string(::getpid());
};

TEST_F(MaintenanceCommandsTest, AWholeImageIsProgrammedAndTheFrameRestarts) {
    const std::string image = Image("velmar-cli-10000.flash", 10000, "\r\n");
    const Outcome flash = Cli({"flash", "127.0.0.2", image, "--restart"});
    ASSERT_EQ(flash.code, kExitOk) << flash.err;
    EXPECT_NE(flash.out.find("file 1 of 1: velmar-cli-10000.flash, 10000 records\n"), std::string::npos)
        << flash.out;
    EXPECT_NE(flash.out.find("velmar-cli-10000.flash: 10000 of 10000 records (100%)"), std::string::npos);
    EXPECT_NE(flash.out.find("flash successfully programmed\nrestart sent to 127.0.0.2\n"),
              std::string::npos);
    EXPECT_NE(Info("127.0.0.2").find("image-records=10000 "), std::string::npos);
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(test::LineClient("127.0.0.2", sim.GetPorts().tcp).Connected()) << "the frame is restarting";

    // From recovery the restart loads the application.
    const Outcome recovery = Cli({"flash", "*127.0.0.5", Image("velmar-cli-5.flash", 5), "--restart"});
    ASSERT_EQ(recovery.code, kExitOk) << recovery.err;
    EXPECT_TRUE(InfoSoonHas("127.0.0.5", "mode=application "));
    EXPECT_NE(Info("127.0.0.5").find("image-records=5 "), std::string::npos);
}

TEST_F(MaintenanceCommandsTest, ARefusedRecordFailsTheRunNamingFileAndRecordAndSendsNoEnd) {
    ASSERT_EQ(sim.Do("fault 127.0.0.2 prog-error 50"), "ok");
    const std::string first = Image("velmar-cli-a.flash", 20);
    const std::string second = Image("velmar-cli-b.flash", 200);
    const Outcome flash = Cli({"flash", "127.0.0.2", first, second, "--restart"});
    EXPECT_EQ(flash.code, kExitFailure);
    EXPECT_EQ(flash.err, "velmar-cli: programming error: " + second +
                             ": record 50 of 200 refused by the frame (status -5)\n");
    EXPECT_EQ(flash.out.find("restart"), std::string::npos);
    const std::string info = Info("127.0.0.2");
    EXPECT_NE(info.find("image-records=20 "), std::string::npos)
        << "only the first image was completed: " << info;
    EXPECT_NE(info.find("mode=application"), std::string::npos) << info;
}

TEST_F(MaintenanceCommandsTest, BadFilesAreRefusedBeforeAnythingIsSent) {
    const std::string good = Image("velmar-cli-good.flash", 3);
    const std::string bad = folder + "/velmar-cli-long.flash";
    std::ofstream(bad) << test::FlashImageText(2) << "S1" << std::string(260, '0') << "\n";
    const Outcome flash = Cli({"flash", "127.0.0.2", good, bad});
    EXPECT_EQ(flash.code, kExitFailure);
    EXPECT_EQ(flash.err,
              "velmar-cli: " + bad +
                  ", line 3: the record has 262 characters; a programming request carries 255 at most.\n");
    EXPECT_EQ(Info("127.0.0.2").find("clients=1"), std::string::npos) << "no connection was made";
}

TEST_F(MaintenanceCommandsTest, DryRunsPrintTheLinesAsOnTheWire) {
    const std::string image = Image("velmar-cli-dry.flash", 2);
    const std::string records = test::FlashImageText(2);
    const std::string first = records.substr(0, records.find('\n'));
    const Outcome flash = Cli({"flash", "*127.0.0.9", image, "--restart", "--dry-run"});
    ASSERT_EQ(flash.code, kExitOk) << flash.err;
    EXPECT_EQ(flash.out.substr(0, flash.out.find('\n', 10) + 1), "&sprog,0\n&sprog,1#" + first + "\n");
    EXPECT_EQ(flash.out.substr(flash.out.size() - 21), "&sprog,2\n&sloadapp,0\n");

    EXPECT_EQ(Cli({"restart", "127.0.0.9", "--dry-run"}).out, "&srestart,1\n");
    EXPECT_EQ(Cli({"recovery", "127.0.0.9", "--dry-run"}).out, "&sloadboot\n");
    EXPECT_EQ(Cli({"application", "*127.0.0.9", "--dry-run"}).out, "&sloadapp,0\n");
    EXPECT_EQ(Cli({"factory-reset", "127.0.0.9", "--dry-run"}).out, "&sclear\n");
    EXPECT_EQ(Cli({"netset", "K5A0011703042", "--ip", "10.0.0.9", "--mask", "255.255.255.0", "--gateway",
                   "10.0.0.1", "--dry-run"})
                  .out,
              "%eip,'K5A0011703042',0,'10.0.0.9','255.255.255.0','10.0.0.1',1\n");
    EXPECT_EQ(Cli({"netset", "127.0.0.9", "--dhcp", "--dry-run"}).out,
              "&sip,1,'0.0.0.0','0.0.0.0','0.0.0.0'\n");
    const Outcome zero =
        Cli({"netset", "127.0.0.9", "--ip", "0.0.0.0", "--mask", "255.0.0.0", "--gateway", "0.0.0.0"});
    EXPECT_EQ(zero.code, kExitUsage);
    EXPECT_EQ(zero.err, "velmar-cli: IP address 0.0.0.0 cannot be used.\n");
    EXPECT_EQ(Cli({"netset", "K5A'1", "--dhcp"}).code, kExitFailure);
    EXPECT_EQ(Cli({"netset", "127.0.0.9", "--dhcp", "--ip", "10.0.0.9"}).code, kExitUsage);
    EXPECT_EQ(Cli({"restart", "127.0.0.9", "--restart"}).code, kExitUsage);
}

TEST_F(MaintenanceCommandsTest, NetsetFactoryResetAndModeSwitchReachTheFrame) {
    test::LineClient watcher("127.0.0.2", sim.GetPorts().tcp);
    watcher.Send("?gdevid\r");
    ASSERT_TRUE(watcher.LineStartingWith(":gdevid").has_value());

    const Outcome bySerial = Cli(
        {"netset", "K5A0011703042", "--ip", "10.0.0.9", "--mask", "255.255.255.0", "--gateway", "10.0.0.1"});
    ASSERT_EQ(bySerial.code, kExitOk) << bySerial.err;
    EXPECT_EQ(watcher.LineStartingWith("%gip"),
              "%gip,0,'10.0.0.9','255.255.255.0','10.0.0.1','0050C2000001'");

    const Outcome byAddress = Cli({"netset", "127.0.0.2", "--dhcp"});
    ASSERT_EQ(byAddress.code, kExitOk) << byAddress.err;
    EXPECT_EQ(watcher.LineStartingWith("%gip"), "%gip,1,'127.0.0.2','255.0.0.0','127.0.0.1','0050C2000001'");

    const Outcome reset = Cli({"--events", "factory-reset", "127.0.0.2"});
    EXPECT_EQ(reset.code, kExitOk) << reset.err;
    EXPECT_EQ(reset.out, "factory settings restored on 127.0.0.2\n");
    EXPECT_NE(reset.err.find("  info  Connected to "), std::string::npos)
        << "--events goes with every command";

    EXPECT_EQ(Cli({"application", "127.0.0.2"}).code, kExitUsage)
        << "an application frame is in its application";
    const Outcome recovery = Cli({"recovery", "127.0.0.3"});
    ASSERT_EQ(recovery.code, kExitOk) << recovery.err;
    EXPECT_TRUE(InfoSoonHas("127.0.0.3", "mode=recovery ")) << Info("127.0.0.3");
}

}  // namespace
}  // namespace velmar
