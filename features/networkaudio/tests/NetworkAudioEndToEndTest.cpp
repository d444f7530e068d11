#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <sstream>

#include "cli/HeadlessConsole.h"
#include "console/FeatureViews.h"
#include "console/MainWindow.h"
#include "device/Session.h"
#include "device/posix/PosixDatagramSocket.h"
#include "device/posix/PosixEventLoop.h"
#include "device/posix/PosixTcpTransport.h"
#include "device/posix/PosixTimerService.h"
#include "features/networkaudio/view/AutoIpRoutingDialog.h"
#include "features/networkaudio/view/ManualIpRoutingDialog.h"
#include "features/ppm/view/PpmDialog.h"
#include "features/routing/tests/RoutingFixture.h"
#include "platform/qt/QtProfileStore.h"
#include "tests/cli/CliRun.h"
#include "tests/support/SimProcess.h"
#include "widgets/IpAddressEdit.h"

namespace velmar {
namespace {

using namespace std::chrono_literals;

// The network-audio windows and commands against the simulated rack: K5A "STUDIO-A" on
// 127.0.0.2 and LW16 "WALLBOX" on 127.0.0.3 route to each other by their Dante names.
class NetworkAudioEndToEnd : public ::testing::Test {
  protected:
    NetworkAudioEndToEnd() { sim.ExportPorts(); }

    using Outcome = test::CliOutcome;
    static Outcome Cli(const std::vector<std::string>& args) { return test::RunCli(args); }
    bool Has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }

    test::SimProcess sim;
};

// A console on the POSIX loop with the windows on top, as the application has them on Qt's.
struct WindowConsole {
    WindowConsole()
        : timers(loop),
          tcp(loop),
          datagrams(loop),
          session(tcp, datagrams, timers, LinkPorts::FromEnvironment(), {}),
          view(session) {}
    bool Connect(const char* address) {
        session.Connect(address, DeviceMode::Application, ModelClass::Full);
        return loop.RunUntil([&] { return view.FrameRead(); }, 8s);
    }
    bool Until(const std::function<bool()>& done) { return loop.RunUntil(done, 5s); }

    PosixEventLoop loop;
    PosixTimerService timers;
    PosixTcpTransport tcp;
    PosixDatagramSocket datagrams;
    Session session;
    HeadlessConsole view;
    test::CaptionedPrompter prompter;
};

TEST_F(NetworkAudioEndToEnd, FlowCycleAndUnicastClockThroughTheCli) {
    const Outcome dry =
        Cli({"flow", "127.0.0.2", "tx", "create", "11", "6", "10.0.0.77", "14530", "--dry-run"});
    ASSERT_EQ(dry.code, kExitOk) << dry.err;
    EXPECT_EQ(dry.out,
              "&scrtxflow,11,6,'10.0.0.77',14530\n&stxflowslot,11,0,61\n&stxflowslot,11,1,62\n"
              "&stxflowslot,11,2,63\n&stxflowslot,11,3,64\n&stxflowslot,11,4,1\n&stxflowslot,11,5,2\n");
    ASSERT_EQ(Cli({"flow", "127.0.0.2", "tx", "create", "11", "6", "10.0.0.77", "14530"}).code, kExitOk);
    ASSERT_EQ(Cli({"flow", "127.0.0.2", "rx", "create", "2", "2", "14531", "1000"}).code, kExitOk);
    const Outcome taken = Cli({"flow", "127.0.0.2", "tx", "create", "12", "2", "10.0.0.78", "14530"});
    EXPECT_EQ(taken.code, kExitFailure);
    EXPECT_TRUE(Has(taken.err, "Port in use")) << taken.err;
    const Outcome late = Cli({"flow", "127.0.0.2", "rx", "create", "3", "2", "14532", "9000"});
    EXPECT_TRUE(Has(late.err, "Rx latency is above maximum which is 5000 us")) << late.err;
    EXPECT_EQ(Cli({"flow", "127.0.0.2", "tx", "create", "12", "2", "127.0.0.2", "14540"}).code, kExitFailure);
    EXPECT_EQ(Cli({"flow", "127.0.0.2", "tx", "create", "12", "9", "10.0.0.78", "14540"}).code, kExitUsage);

    const Outcome flows = Cli({"flows", "127.0.0.2"});
    ASSERT_EQ(flows.code, kExitOk) << flows.err;
    EXPECT_TRUE(Has(flows.out, "tx 11  6 slots  port 14530  to 10.0.0.77  channels 61, 62, 63, 64, 1, 2\n"))
        << flows.out;
    EXPECT_TRUE(Has(flows.out, "rx 2  2 slots  port 14531  latency 1000 us  channels 3, 4\n")) << flows.out;

    const Outcome clock = Cli({"unicast-clock", "127.0.0.2", "on"});
    ASSERT_EQ(clock.code, kExitOk) << clock.err;
    EXPECT_EQ(clock.out, "unicast clocking on: Unicast clocking on\n");

    ASSERT_EQ(Cli({"flow", "127.0.0.2", "tx", "delete", "11"}).code, kExitOk);
    ASSERT_EQ(Cli({"flow", "127.0.0.2", "rx", "delete", "2"}).code, kExitOk);
    const Outcome json = Cli({"flows", "127.0.0.2", "--json"});
    EXPECT_EQ(json.out,
              "{\"unicastClock\":true,\"unicastStatus\":\"Unicast clocking on\",\"tx\":[],\"rx\":[]}\n");
}

TEST_F(NetworkAudioEndToEnd, AutomaticRoutesBetweenTwoFramesByName) {
    // Routes, frame rate and latency are taken only while automatic routing is on.
    EXPECT_EQ(Cli({"autoroute", "127.0.0.2", "connect", "3", "WALLBOX", "5"}).code, kExitUsage);
    ASSERT_EQ(Cli({"autoroute", "127.0.0.2", "on"}).code, kExitOk);
    ASSERT_EQ(Cli({"autoroute", "127.0.0.2", "connect", "3", "WALLBOX", "5"}).code, kExitOk);
    ASSERT_EQ(Cli({"autoroute", "127.0.0.2", "connect", "4", "NOBODY", "6"}).code, kExitOk);
    const Outcome self = Cli({"autoroute", "127.0.0.2", "connect", "5", "studio-a", "1"});
    EXPECT_EQ(self.code, kExitFailure) << "a frame is not routed to itself";
    EXPECT_EQ(Cli({"autoroute", "127.0.0.2", "connect", "5", std::string(32, 'N'), "1"}).code, kExitFailure);
    const std::vector<std::string> routes = sim.Command("routes 127.0.0.2");
    EXPECT_EQ(routes, (std::vector<std::string>{"route 3 'STUDIO-A' 05 'WALLBOX' resolved",
                                                "route 4 'STUDIO-A' 06 'NOBODY' unresolved", "ok 2 routes"}));

    const Outcome listed = Cli({"autoroute", "127.0.0.2"});
    ASSERT_EQ(listed.code, kExitOk) << listed.err;
    EXPECT_TRUE(Has(listed.out, "3 localhost <- 05 WALLBOX\n4 localhost <- 06 NOBODY\n")) << listed.out;

    EXPECT_EQ(Cli({"autoroute", "127.0.0.2", "latency", "6000"}).code, kExitFailure);
    ASSERT_EQ(Cli({"autoroute", "127.0.0.2", "frame-rate", "4"}).code, kExitOk);
    EXPECT_TRUE(Has(Cli({"autoroute", "127.0.0.2", "--json"}).out, "\"frameRate\":4,\"latency\":1000"));

    const Outcome dry = Cli({"autoroute", "127.0.0.2", "delete", "3-4", "--dry-run"});
    EXPECT_EQ(dry.out, "&scrossip,4,'localhost','','NOBODY'\n&scrossip,3,'localhost','','WALLBOX'\n");
    ASSERT_EQ(Cli({"autoroute", "127.0.0.2", "delete", "3-4"}).code, kExitOk);
    EXPECT_EQ(sim.Do("routes 127.0.0.2"), "ok 0 routes");
    EXPECT_EQ(Cli({"autoroute", "127.0.0.2", "delete", "3"}).code, kExitFailure);
}

TEST_F(NetworkAudioEndToEnd, WindowsCreateAndDeleteThroughTheFrame) {
    WindowConsole console;
    ASSERT_TRUE(console.Connect("127.0.0.2"));
    Session& session = console.session;

    {
        PpmDialog dialog(session, console.prompter, nullptr);
        dialog.Create();
        QTreeWidget* list = dialog.StreamList();
        ASSERT_TRUE(console.Until([&] { return list->topLevelItemCount() == 1; }));
        list->topLevelItem(0)->setSelected(true);
        console.prompter.answers = {true};
        dialog.RemoveSelected();
        ASSERT_TRUE(console.Until([&] { return list->topLevelItemCount() == 0; }));
    }
    {
        ManualIpRoutingDialog dialog(session, console.prompter, {}, nullptr);
        ASSERT_TRUE(console.Until([&] { return console.view.UnansweredText(1).empty(); }));
        dialog.TxAddressField()->SetAddress(0x0A00004D);
        dialog.CreateTx();
        QTreeWidget* list = dialog.TxList();
        ASSERT_TRUE(console.Until([&] {
            return list->topLevelItemCount() == 1 && list->topLevelItem(0)->text(4) == "1, 2, 3, 4";
        }));
        EXPECT_EQ(dialog.TxIdField()->text(), "2");
        list->topLevelItem(0)->setSelected(true);
        console.prompter.answers = {true};
        dialog.DeleteFlow();
        ASSERT_TRUE(console.Until([&] { return list->topLevelItemCount() == 0; }));
    }
    {
        AutoIpRoutingDialog dialog(session, console.prompter, nullptr);
        dialog.SourceHostField()->setText("WALLBOX");
        dialog.SourceField()->setText("9");
        dialog.DestinationField()->setText("12");
        dialog.Connect();
        QTreeWidget* list = dialog.RouteList();
        ASSERT_TRUE(console.Until([&] { return list->topLevelItemCount() == 1; }));
        EXPECT_EQ(list->topLevelItem(0)->text(1), "WALLBOX");
        EXPECT_EQ(list->topLevelItem(0)->text(2), "09");
        EXPECT_EQ(sim.Do("routes 127.0.0.2"), "ok 1 routes");
        list->topLevelItem(0)->setSelected(true);
        dialog.DeleteRoutes();
        ASSERT_TRUE(console.Until([&] { return list->topLevelItemCount() == 0; }));
        EXPECT_EQ(sim.Do("routes 127.0.0.2"), "ok 0 routes");
    }
    EXPECT_TRUE(console.prompter.shown.empty());
}

TEST(NetworkAudioCommandLine, DryRunGoesOnlyWithWhatSends) {
    const CliParse create =
        ParseCliOptions({"ppm", "127.0.0.2", "create", "1", "10.0.0.1", "10100", "8", "50", "--dry-run"});
    ASSERT_TRUE(create.options) << create.error;
    EXPECT_EQ(create.options->command->word, "ppm");
    EXPECT_EQ(create.options->words,
              (std::vector<std::string>{"create", "1", "10.0.0.1", "10100", "8", "50"}));
    for (const std::vector<std::string>& reads : {std::vector<std::string>{"ppm", "127.0.0.2", "--dry-run"},
                                                  {"flows", "127.0.0.2", "--dry-run"},
                                                  {"autoroute", "127.0.0.2", "--dry-run"}}) {
        EXPECT_FALSE(ParseCliOptions(reads).options) << reads[0];
    }
    EXPECT_TRUE(ParseCliOptions({"unicast-clock", "127.0.0.2", "off", "--dry-run"}).options);
    EXPECT_FALSE(ParseCliOptions({"flow", "127.0.0.2", "tx"}).options);
    EXPECT_FALSE(ParseCliOptions({"unicast-clock", "127.0.0.2"}).options);
}

bool WaitUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 8000)
        QTest::qWait(10);
    return done();
}

// The device menu of the application opens each window on the connected frame.
TEST_F(NetworkAudioEndToEnd, DeviceMenuOpensTheWindows) {
    QTemporaryDir dir;
    QtProfileStore profile(dir.filePath(QStringLiteral("profile.ini")));
    test::CaptionedPrompter prompter;
    ConsoleCore core(ConsoleOptions{}, ConsoleServices{&prompter, nullptr, &profile});
    MainWindow window(core);
    NetworkAudioInstallViews(window, core);
    PpmInstallViews(window, core);
    core.GetSession().Connect("127.0.0.2", DeviceMode::Application, ModelClass::Full);
    ASSERT_TRUE(
        WaitUntil([&] { return core.GetSession().IsReady() && window.SettingsButton().isEnabled(); }));
    for (const auto& [command, title] : {std::pair{MenuCommand::PpmStreams, "PPM streams"},
                                         {MenuCommand::ManualIpRouting, " Manual IP routing control"},
                                         {MenuCommand::AutoIpRouting, " Automatic IP routing control"}}) {
        QString opened;
        // The window runs modally; a timer on the loop it runs closes it again.
        QTimer::singleShot(200, [&opened] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                opened = modal->windowTitle();
                modal->close();
            }
        });
        window.RunMenuCommand(command);
        EXPECT_EQ(opened.toStdString(), title);
    }
    core.GetSession().Disconnect();
}

}  // namespace
}  // namespace velmar
