#include <gtest/gtest.h>

#include <QComboBox>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <sstream>

#include "console/MainWindow.h"
#include "features/settings/view/CardConfigPage.h"
#include "features/settings/view/HwConfigView.h"
#include "features/settings/view/HwConfigWindow.h"
#include "features/settings/view/InstallSettings.h"
#include "features/settings/view/SettingsDialog.h"
#include "platform/qt/QtProfileStore.h"
#include "tests/cli/CliRun.h"
#include "tests/console/ConsoleTestSupport.h"
#include "tests/support/SimProcess.h"
#include "widgets/EditableGrid.h"

namespace velmar {
namespace {

using test::WaitUntil;

// The console's settings editor against the simulated K5A "Studio A" (SDI, AD, DA, AES, MADI and
// AD cards in slots 1 to 6).
class CardEditorEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        window.show();
        InstallSettings(window, core);
        Session& session = core.GetSession();
        session.Connect("127.0.0.2", DeviceMode::Application, ModelClass::Full);
        ASSERT_TRUE(WaitUntil([&] {
            return window.SettingsButton().isEnabled() && session.State().config.cards[4].mode == 1;
        }));
        QTest::qWait(300);  // the last card answers
    }

    // A row's value as a fresh connection reads it from the frame.
    std::string FrameValue(int slot, const std::string& name) {
        const std::string json = test::RunCli({"cards", "--json", "127.0.0.2"}).out;
        const std::size_t slotAt = json.find("{\"slot\":" + std::to_string(slot) + ",");
        const std::size_t rowAt = json.find("\"name\":\"" + name + "\"", slotAt);
        if (slotAt == std::string::npos || rowAt == std::string::npos)
            return "(no row)";
        const std::size_t valueAt = json.find("\"value\":\"", rowAt) + 9;
        return json.substr(valueAt, json.find('"', valueAt) - valueAt);
    }

    bool application = (test::EnsureApplication(), true);
    test::SimProcess sim;
    // The core reads the frame ports when it is built.
    bool portsExported = (sim.ExportPorts(), true);
    QTemporaryDir dir;
    QtProfileStore profile{dir.filePath(QStringLiteral("profile.ini"))};
    test::ScriptedPrompter prompter;
    test::ScriptedFilePicker files;
    ConsoleCore core{ConsoleOptions{}, ConsoleServices{&prompter, &files, &profile}};
    MainWindow window{core};
};

TEST_F(CardEditorEndToEnd, OneParameterPerCardKindIsSavedAndReadBackFromTheFrame) {
    window.SettingsButton().click();
    auto* editor = window.findChild<SettingsDialog*>();
    ASSERT_NE(editor, nullptr);
    auto* page = dynamic_cast<CardConfigPage*>(editor->Page(SettingsTab::CardConfiguration));
    ASSERT_NE(page, nullptr);
    auto* hardware = dynamic_cast<HwConfigView*>(editor->Page(SettingsTab::HwConfiguration));
    ASSERT_NE(hardware, nullptr);
    EXPECT_EQ(hardware->rowCount(), 14);
    editor->ShowTab(SettingsTab::CardConfiguration);

    struct Change {
        int slot;
        std::string row;
        int entry;
        std::string value;
    };
    const std::vector<Change> changes{{1, "1:Tx sample rate", 2, "32 kHz"},
                                      {2, "2:Phase", 1, "invert"},
                                      {3, "4:DSD filter", 1, "enable"},
                                      {4, "3:Rx SRC", 1, "enable"},
                                      {5, "both:Interface type", 2, "hotlink"}};
    for (const Change& change : changes) {
        page->SelectSlot(change.slot);
        ASSERT_TRUE(page->Grid().EditCell(page->GridRow(change.row), 2)) << change.row;
        qobject_cast<QComboBox*>(page->Grid().Editor())->setCurrentIndex(change.entry);
        page->Grid().EndEdit(true);
        ASSERT_EQ(page->Grid().Text(page->GridRow(change.row), 2).toStdString(), change.value);
    }
    prompter.answers = {true};
    editor->SaveChanges();
    QTest::qWait(1500);

    for (const Change& change : changes)
        EXPECT_EQ(FrameValue(change.slot, change.row), change.value) << change.row;
    EXPECT_EQ(FrameValue(3, "1:DSD filter"), "enable") << "the edit on channel 4 reached the card";
    EXPECT_EQ(FrameValue(5, "1:Input mode / sample rate"), "internal");
    const CardRecord& madi = core.GetSession().State().config.cards[4];
    EXPECT_EQ(madi.mode, 2) << "the console's image read back";
}

TEST_F(CardEditorEndToEnd, ACardThatLeavesItsSlotWhileTheEditorIsOpenIsNotWrittenTo) {
    std::vector<CommandCode> answered;
    core.GetSession().SetRecordObserver([&](const CommandMessage& record, bool isReply) {
        if (isReply)
            answered.push_back(static_cast<CommandCode>(record.code));
    });
    window.SettingsButton().click();
    auto* editor = window.findChild<SettingsDialog*>();
    ASSERT_NE(editor, nullptr);
    auto* page = dynamic_cast<CardConfigPage*>(editor->Page(SettingsTab::CardConfiguration));
    ASSERT_NE(page, nullptr);
    for (const auto& [slot, row] : {std::pair{2, "1:State"}, std::pair{4, "3:Rx SRC"}}) {
        page->SelectSlot(slot);
        ASSERT_TRUE(page->Grid().EditCell(page->GridRow(row), 2)) << row;
        qobject_cast<QComboBox*>(page->Grid().Editor())->setCurrentIndex(1);
        page->Grid().EndEdit(true);
    }
    page->SelectSlot(2);
    ASSERT_TRUE(page->Grid().isEnabled());
    ASSERT_EQ(sim.Do("state 127.0.0.2 ghwconf 10 0 '' ''").substr(0, 2), "ok");
    ASSERT_TRUE(WaitUntil([&] { return !page->Grid().isEnabled(); }))
        << "the emptied slot is no longer edited";
    EXPECT_EQ(page->Grid().rowCount(), 0);
    EXPECT_EQ(page->CardList().Text(1, 2), "");

    prompter.answers = {true};
    editor->SaveChanges();
    QTest::qWait(1000);
    EXPECT_EQ(std::count(answered.begin(), answered.end(), CommandCode::sadmute), 0);
    EXPECT_EQ(std::count(answered.begin(), answered.end(), CommandCode::saesrxsrcena), 1);
    EXPECT_EQ(FrameValue(4, "3:Rx SRC"), "enable");
}

TEST_F(CardEditorEndToEnd, TheDeviceMenuOpensTheHardwareWindow) {
    QString title;
    int rows = 0;
    QTimer::singleShot(0, [&] {
        if (auto* shown = qobject_cast<HwConfigWindow*>(QApplication::activeModalWidget())) {
            title = shown->windowTitle();
            rows = shown->View().rowCount();
            shown->reject();
        }
    });
    window.RunMenuCommand(MenuCommand::HwConfiguration);
    EXPECT_EQ(title, "HW configuration");
    EXPECT_EQ(rows, 14);
}

}  // namespace
}  // namespace velmar
