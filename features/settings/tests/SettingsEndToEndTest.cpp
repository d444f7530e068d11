#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>
#include <sstream>

#include "console/ConsoleCore.h"
#include "console/MainWindow.h"
#include "device/DeviceModel.h"
#include "features/settings/core/SettingsFile.h"
#include "features/settings/view/InstallSettings.h"
#include "features/settings/view/SettingsDialog.h"
#include "features/settings/view/SyncPriorityPage.h"
#include "platform/qt/QtProfileStore.h"
#include "tests/cli/CliRun.h"
#include "tests/console/ConsoleTestSupport.h"
#include "tests/support/SimProcess.h"
#include "widgets/EditableGrid.h"
#include "widgets/IpAddressEdit.h"

namespace velmar {
namespace {

using namespace std::chrono_literals;

// The console against velmar-sim: edit pages in the window, save, and read the frame back with
// velmar-cli.
class SettingsEndToEndTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::EnsureApplication();
        sim.ExportPorts();
        profile = std::make_unique<QtProfileStore>(dir.filePath("profile.ini"));
        core = std::make_unique<ConsoleCore>(ConsoleOptions{},
                                             ConsoleServices{&prompter, &files, profile.get()});
        window = std::make_unique<MainWindow>(*core);
        InstallSettings(*window, *core);
        window->show();
    }

    std::string Cli(const std::vector<std::string>& args, int& code) {
        const test::CliOutcome run = test::RunCli(args);
        code = run.code;
        return run.out + run.err;
    }

    test::SimProcess sim;
    QTemporaryDir dir;
    std::unique_ptr<QtProfileStore> profile;
    test::ScriptedPrompter prompter;
    test::ScriptedFilePicker files;
    std::unique_ptr<ConsoleCore> core;
    std::unique_ptr<MainWindow> window;
};

TEST_F(SettingsEndToEndTest, EditedPagesReachTheFrameAndReadBack) {
    Session& session = core->GetSession();
    session.Connect("127.0.0.2", DeviceMode::Application, ModelClass::Full);
    ASSERT_TRUE(test::WaitUntil([&] { return window->SettingsButton().isEnabled(); }, 10s));
    ASSERT_TRUE(test::WaitUntil([&] { return session.IsReady(); }));

    window->SettingsButton().click();
    auto* editor = window->findChild<SettingsDialog*>();
    ASSERT_NE(editor, nullptr);
    auto boxes = editor->Page(SettingsTab::Id)->findChildren<QLineEdit*>();
    boxes.at(0)->setText("17");
    boxes.at(1)->setText("Studio Z");
    editor->Page(SettingsTab::AliveTime)->findChild<QLineEdit*>()->setText("42");
    EditableGrid& grid = static_cast<SyncPriorityPage*>(editor->Page(SettingsTab::Synchronization))->Grid();
    ASSERT_TRUE(grid.EditCell(1, 1));  // AES11
    static_cast<QLineEdit*>(grid.Editor())->setText("9");
    QTest::keyClick(grid.Editor(), Qt::Key_Return);
    std::vector<std::string> notices;
    Subscription heard = session.Events().Subscribe<ConsoleNotice>(
        [&](const ConsoleNotice& notice) { notices.push_back(notice.text); });
    prompter.answers = {true};
    editor->SaveChanges();
    ASSERT_TRUE(test::WaitUntil([&] { return window->findChild<SettingsDialog*>() == nullptr; }));
    EXPECT_TRUE(prompter.shown.size() == 1) << prompter.shown.back();  // the question, no restart offer
    ASSERT_TRUE(test::WaitUntil([&] { return !notices.empty(); }));
    EXPECT_EQ(notices, std::vector<std::string>{
                           "Studio A (127.0.0.2): Device settings: the frame took all 19 requests."});

    // Every answer in, and the frame's own reply agrees.
    ASSERT_TRUE(test::WaitUntil([&] { return session.State().config.syncPrio[1] == 9; }));
    QTest::qWait(300);

    int code = 0;
    const std::string status = Cli({"status", "--json", "127.0.0.2"}, code);
    ASSERT_EQ(code, kExitOk) << status;
    EXPECT_NE(status.find("\"id\":17"), std::string::npos) << status;
    EXPECT_NE(status.find("\"name\":\"Studio Z\""), std::string::npos) << status;

    const std::string path = dir.filePath("after.cfg").toStdString();
    ASSERT_EQ(Cli({"settings", "save", "127.0.0.2", path}, code),
              "settings of 127.0.0.2 written to " + path + "\n");
    auto read = std::make_unique<ConfigBlock>();
    ASSERT_EQ(LoadSettingsFile(path, *read), std::nullopt);
    EXPECT_EQ(read->aliveTime, 42);
    EXPECT_EQ(read->syncPrio[1], 9);
    session.Disconnect();
}

// A new address needs a restart, but only once the frame has taken it: refused, nothing is
// offered and the operator is told why; taken, the restart is asked for.
TEST_F(SettingsEndToEndTest, TheRestartIsOfferedOnlyOnceTheFrameTookTheNewAddress) {
    Session& session = core->GetSession();
    session.Connect("127.0.0.2", DeviceMode::Application, ModelClass::Full);
    ASSERT_TRUE(test::WaitUntil([&] { return window->SettingsButton().isEnabled(); }, 10s));
    ASSERT_TRUE(test::WaitUntil([&] { return session.IsReady(); }));
    const auto changeMask = [&](const char* mask) {
        window->SettingsButton().click();
        auto* editor = window->findChild<SettingsDialog*>();
        ASSERT_NE(editor, nullptr);
        const auto fields = editor->Page(SettingsTab::Network)->findChildren<IpAddressEdit*>();
        ASSERT_GE(fields.size(), 2);
        fields.at(1)->setText(mask);
        prompter.answers = {true, false};  // send; no restart
        prompter.shown.clear();
        editor->SaveChanges();
        ASSERT_TRUE(test::WaitUntil([&] { return window->findChild<SettingsDialog*>() == nullptr; }));
        ASSERT_TRUE(test::WaitUntil([&] { return prompter.shown.size() >= 2; }, 8s));
    };

    sim.Do("fault 127.0.0.2 status sip -3");
    changeMask("255.255.0.0");
    EXPECT_EQ(prompter.shown.size(), 2u);
    EXPECT_NE(prompter.shown.back().find("warning: Device settings: the frame refused sip"),
              std::string::npos)
        << prompter.shown.back();
    EXPECT_NE(prompter.shown.back().find("no restart offered"), std::string::npos) << prompter.shown.back();

    sim.Do("fault 127.0.0.2 clear");
    changeMask("255.254.0.0");
    EXPECT_EQ(prompter.shown.back(), "question: " + AboutFrame("Restart device", session.Connection()));
    session.Disconnect();
}

// The file of one frame applied to another: exactly the groups that differ go out, and the frame
// keeps its own address.
TEST_F(SettingsEndToEndTest, AFileFromOneFrameAppliesToAnother) {
    const std::string path = dir.filePath("k5a.cfg").toStdString();
    int code = 0;
    Cli({"settings", "save", "127.0.0.2", path}, code);
    ASSERT_EQ(code, kExitOk);

    const std::string dry = Cli({"settings", "apply", "127.0.0.3", path, "--dry-run"}, code);
    ASSERT_EQ(code, kExitOk) << dry;
    EXPECT_NE(dry.find("&sdevid,1,'Studio A'\n"), std::string::npos) << dry;
    EXPECT_EQ(dry.find("&sip,"), std::string::npos) << dry;
    EXPECT_NE(dry.find("kept the frame's own IP"), std::string::npos) << dry;

    const std::string applied = Cli({"settings", "apply", "127.0.0.3", path}, code);
    ASSERT_EQ(code, kExitOk) << applied;
    const std::string again = Cli({"settings", "apply", "127.0.0.3", path, "--dry-run"}, code);
    EXPECT_EQ(again.find('&'), std::string::npos) << again;  // nothing left to send

    const std::string moved = Cli({"settings", "apply", "127.0.0.3", path, "--dry-run", "--network"}, code);
    EXPECT_NE(moved.find("&sip,0,'127.0.0.2'"), std::string::npos) << moved;
}

// The K5E at 127.0.0.4 has no Dante module: its file says nothing about the studio frame's module.
TEST_F(SettingsEndToEndTest, AFileWithoutDanteSettingsLeavesTheModuleAlone) {
    const std::string path = dir.filePath("k5e.cfg").toStdString();
    int code = 0;
    Cli({"settings", "save", "127.0.0.4", path}, code);
    ASSERT_EQ(code, kExitOk);
    const std::string dry = Cli({"settings", "apply", "127.0.0.2", path, "--dry-run"}, code);
    EXPECT_EQ(code, kExitOk) << dry;
    for (const char* word : {"&sbkname", "&sbkip", "&ssrenaip", "&sbksecip", "&sswmodeip"})
        EXPECT_EQ(dry.find(word), std::string::npos) << dry;
    EXPECT_NE(dry.find("no Dante settings"), std::string::npos) << dry;
}

}  // namespace
}  // namespace velmar
