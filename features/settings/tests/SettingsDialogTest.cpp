#include "features/settings/view/SettingsDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "features/settings/core/SettingsFile.h"
#include "features/settings/view/DantePage.h"
#include "features/settings/view/OptionalModulePage.h"
#include "features/settings/view/SyncPriorityPage.h"
#include "features/settings/view/ValueList.h"
#include "platform/qt/QtPrompter.h"
#include "tests/console/ConsoleTestSupport.h"
#include "widgets/CheckableGroupBox.h"
#include "widgets/EditableGrid.h"
#include "widgets/ProblemNote.h"

namespace velmar {
namespace {

// The editor on a K5A-like frame with an SFP module and no Dante module.
class SettingsDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::EnsureApplication();
        config->deviceId = 1;
        config->deviceName.Assign("Studio A");
        config->lan.ip.Assign("127.0.0.2");
        config->lan.subnet.Assign("255.0.0.0");
        config->lan.gateway.Assign("0.0.0.0");
        config->aliveTime = 5;
        config->sampleRate = 2;
        config->syncPrio = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
        config->hwConf[2].boardType = 1;
        config->optMode = {{{1, 2}, {2, 1}}};
        config->hlinkInMode = {{{1, 0}, {2, 0}}};
        config->hlinkOutMode = {{{1, 1}, {2, 0}}};
        config->danteName.Assign("left over");
    }

    SettingsDialog& Open() {
        dialog = std::make_unique<SettingsDialog>(SettingsSubject{config.get(), ModelClass::Full, true},
                                                  prompter, files);
        dialog->show();
        return *dialog;
    }

    template <typename Widget>
    Widget& Nth(SettingsTab tab, int n) {
        return *dialog->Page(tab)->findChildren<Widget*>().at(n);
    }
    QLineEdit& Field(SettingsTab tab, int n) { return Nth<QLineEdit>(tab, n); }

    std::unique_ptr<ConfigBlock> config = std::make_unique<ConfigBlock>();
    test::ScriptedPrompter prompter;
    test::ScriptedFilePicker files;
    std::unique_ptr<SettingsDialog> dialog;
};

TEST_F(SettingsDialogTest, CaptionNamesTheFrameAndItsFixedAddress) {
    EXPECT_EQ(Open().windowTitle(), " Device settings for <Studio A> at 127.0.0.2");
    config->lan.dhcp = 1;
    EXPECT_EQ(Open().windowTitle(), " Device settings for <Studio A>");
    config->deviceName.Assign("");
    EXPECT_EQ(Open().windowTitle(), " Device settings");
}

TEST_F(SettingsDialogTest, TheCaptionFitsAndTheTabKeysStepThroughTheTabsFromAnyField) {
    config->deviceName.Assign("Broadcast Studio");
    config->lan.ip.Assign("192.168.100.200");
    Open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    EXPECT_TRUE(test::TitleFits(*dialog)) << dialog->width();

    QTabWidget& tabs = *dialog->findChild<QTabWidget*>();
    QLineEdit& id = Field(SettingsTab::Id, 0);
    id.setFocus();
    const auto press = [](QWidget& at, Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(&at, key, modifiers);
    };
    press(id, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs.currentIndex(), 1);
    press(*QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(tabs.currentIndex(), 2);
    press(*QApplication::focusWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(tabs.currentIndex(), 1);
    press(*QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
    press(*QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(tabs.currentIndex(), kSettingsTabCount - 1) << "the last tab comes before the first";
    // From the buttons below the tabs too.
    QPushButton& save = *dialog->findChildren<QPushButton*>().front();
    save.setFocus();
    press(save, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs.currentIndex(), 0);
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(SettingsDialogTest, EnterIsCancelAndAsksBeforeDiscardingEdits) {
    Open();
    QTest::keyClick(dialog.get(), Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());  // nothing changed: closes without a word
    EXPECT_TRUE(prompter.shown.empty());

    Open();
    Field(SettingsTab::Id, 0).setText("12");
    QTest::keyClick(dialog.get(), Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());  // the answer was No
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0], "question: Discard the changes made in the settings?");
    prompter.answers = {true};
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_F(SettingsDialogTest, SaveChangesListsWhatWillBeSentAndNotSendingKeepsEveryEdit) {
    Open();
    Field(SettingsTab::Id, 1).setText("Studio B");
    Field(SettingsTab::SystemDelay, 0).setText("12");
    EditableGrid& grid = static_cast<SyncPriorityPage*>(dialog->Page(SettingsTab::Synchronization))->Grid();
    grid.SetText(0, 1, "9");
    dialog->SaveChanges();  // the script answers "Back to the editor"
    EXPECT_EQ(prompter.shown.back(),
              "question: Save changes\n\nThese settings will be sent to the frame:\n"
              "  System delay: 1 request\n  Device ID and name: 1 request\n"
              "  Synchronization priorities: 17 requests\n19 requests in all.");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Field(SettingsTab::Id, 1).text(), "Studio B");
    EXPECT_EQ(Field(SettingsTab::SystemDelay, 0).text(), "12");
    EXPECT_EQ(grid.Text(0, 1), "9");

    prompter.answers = {true};
    dialog->SaveChanges();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->Edited().systemDelay, 12);
    EXPECT_EQ(dialog->Edited().syncPrio[0], 9);
    EXPECT_EQ(dialog->Opened().systemDelay, 0);

    Open();
    dialog->SaveChanges();
    EXPECT_EQ(prompter.shown.back(), "question: Save changes\n\nNothing was changed: nothing will be sent.");
}

TEST_F(SettingsDialogTest, EnterOnEitherQuestionGoesBackToTheEditor) {
    QtPrompter shown;
    dialog =
        std::make_unique<SettingsDialog>(SettingsSubject{config.get(), ModelClass::Full, true}, shown, files);
    dialog->show();
    Field(SettingsTab::AliveTime, 0).setText("9");
    QStringList asked;
    const auto pressEnterOnTheQuestion = [&] {
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            QStringList buttons;
            for (QAbstractButton* button : box->buttons())
                buttons << button->text();
            asked << box->text() + " [" + buttons.join("|") + "]";
            QTest::keyClick(box, Qt::Key_Return);
        });
    };
    pressEnterOnTheQuestion();
    dialog->SaveChanges();
    pressEnterOnTheQuestion();
    QTest::keyClick(dialog.get(), Qt::Key_Return);  // Cancel, the editor's default button
    ASSERT_EQ(asked.size(), 2);
    EXPECT_TRUE(asked[0].endsWith("[Send|Back to the editor]")) << asked[0].toStdString();
    EXPECT_EQ(asked[1], "Discard the changes made in the settings? [Discard|Back to the editor]");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Field(SettingsTab::AliveTime, 0).text(), "9");
}

TEST_F(SettingsDialogTest, ARefusedValueStaysTypedMarkedAndExplainedAndNothingIsTaken) {
    Open();
    dialog->ShowTab(SettingsTab::SystemDelay);
    QLineEdit& delay = Field(SettingsTab::SystemDelay, 0);
    delay.selectAll();
    QTest::keyClicks(&delay, "99");
    dialog->SaveChanges();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(prompter.shown.back(),
              "warning: System delay (samples): please enter an integer between 0 and 64.");
    EXPECT_EQ(delay.text(), "99");  // what was typed, not the old 0
    EXPECT_EQ(dialog->Edited().systemDelay, 0);
    EXPECT_EQ(delay.toolTip(), "System delay (samples): please enter an integer between 0 and 64.");
    const auto* note = dialog->Page(SettingsTab::SystemDelay)->findChild<ProblemNote*>();
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(note->text(), delay.toolTip());
    // Mending it takes the mark away; the next save judges it again.
    QTest::keyClick(&delay, Qt::Key_Backspace);
    EXPECT_FALSE(note->isVisible());
    EXPECT_TRUE(delay.toolTip().isEmpty());

    Field(SettingsTab::Id, 0).setText("120");
    dialog->SaveChanges();
    EXPECT_EQ(prompter.shown.back(), "warning: ID: please enter an integer between 0 and 99.");
    EXPECT_EQ(Field(SettingsTab::Id, 0).text(), "120");
    EXPECT_EQ(dialog->Edited().deviceId, 1);
    Field(SettingsTab::Id, 0).setText("12");

    Field(SettingsTab::AliveTime, 0).setText("301");
    dialog->SaveChanges();
    EXPECT_EQ(prompter.shown.back(), "warning: Alive time (sec): please enter an integer between 0 and 300.");
    Field(SettingsTab::AliveTime, 0).setText("30");

    for (const char* address : {"0.0.0.0", "255.255.255.255"}) {
        Field(SettingsTab::Network, 0).setText(address);
        dialog->SaveChanges();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_NE(prompter.shown.back().find("cannot be used for a fixed address of the frame"),
                  std::string::npos)
            << prompter.shown.back();
    }
    // Automatic addressing needs no address.
    Nth<QRadioButton>(SettingsTab::Network, 0).click();
    prompter.answers = {true};
    dialog->SaveChanges();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->Edited().lan.dhcp, 1);
    EXPECT_EQ(dialog->Edited().lan.ip.View(), "0.0.0.0");
}

TEST_F(SettingsDialogTest, APriorityThatIsNoneStaysMarkedAndKeepsTheEditorFromSaving) {
    Open();
    dialog->ShowTab(SettingsTab::Synchronization);
    EditableGrid& grid = static_cast<SyncPriorityPage*>(dialog->Page(SettingsTab::Synchronization))->Grid();
    const auto type = [&](int row, const char* text) {
        ASSERT_TRUE(grid.EditCell(row, 1));
        static_cast<QLineEdit*>(grid.Editor())->setText(text);
        QTest::keyClick(grid.Editor(), Qt::Key_Return);
    };
    type(4, "0");
    type(11, "31");  // Madi coax
    type(1, "40");
    EXPECT_TRUE(dialog->isVisible());  // Enter in the cell ended only the edit
    EXPECT_EQ(grid.Text(1, 1), "40");  // kept as typed, not put back to 2
    const auto* note = dialog->Page(SettingsTab::Synchronization)->findChild<ProblemNote*>();
    ASSERT_NE(note, nullptr);
    const QString reason = grid.Text(1, 0) + ": \"40\" is not a priority (0 = disabled, 1 to 31).";
    EXPECT_EQ(note->text(), reason);
    type(2, "abc");
    EXPECT_EQ(note->text(), reason) << "the first row that is wrong is told";

    dialog->ShowTab(SettingsTab::Id);
    dialog->SaveChanges();
    EXPECT_EQ(prompter.shown.back(), "warning: " + reason.toStdString());
    EXPECT_EQ(dialog->Page(SettingsTab::Synchronization)->isVisible(), true) << "the page is shown";
    EXPECT_EQ(dialog->Edited().syncPrio[1], 2);

    type(1, "3");
    type(2, " 7 ");
    EXPECT_FALSE(note->isVisible());
    EXPECT_EQ(grid.Text(2, 1), "7");
    prompter.answers = {true};
    dialog->SaveChanges();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    const auto& prio = dialog->Edited().syncPrio;
    EXPECT_EQ(prio[1], 3);
    EXPECT_EQ(prio[2], 7);
    EXPECT_EQ(prio[4], 0);  // AES Input 2, source 6
    EXPECT_EQ(prio[13], 31);
    EXPECT_EQ(prio[11], 12);  // PHD 1: never shown, never changed
}

TEST_F(SettingsDialogTest, PagesOfMissingOrUntouchedHardwareKeepTheirValues) {
    Open();
    auto& dante = static_cast<DantePage&>(*dialog->Page(SettingsTab::Dante));
    EXPECT_FALSE(dante.findChildren<QLineEdit*>().at(0)->isEnabled());
    // SFP 1 runs Hotlink with an output mode of its own; SFP 2 MADI; nothing is touched.
    prompter.answers = {true};
    dialog->SaveChanges();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    const ConfigBlock& edited = dialog->Edited();
    EXPECT_EQ(edited.danteName.View(), "left over");
    EXPECT_EQ(edited.hlinkOutMode[0].mode, 1);
    EXPECT_EQ(edited.sampleRate, 2);

    // A stored rate no entry carries selects nothing and is kept.
    config->sampleRate = 11;
    Open();
    EXPECT_EQ(Nth<ValueList>(SettingsTab::SampleRate, 0).currentIndex(), -1);
    prompter.answers = {true};
    dialog->SaveChanges();
    EXPECT_EQ(dialog->Edited().sampleRate, 11);
}

TEST_F(SettingsDialogTest, InterfacePagesFollowTheirTypesAndKeepWhatTheyDoNotShow) {
    config->phd = {0, 1, 1};
    config->redundancyEnable = 1;
    config->madiOut[2].mode = 1;
    Open();
    // SFP page: lists in creation order: redundancy, mode, then per port type, input, four MADI lists.
    const auto list = [&](int n) -> ValueList& { return Nth<ValueList>(SettingsTab::OptionalModule, n); };
    EXPECT_TRUE(list(0).isEnabled());
    EXPECT_EQ(list(1).Value(), 0);
    list(0).setCurrentIndex(0);  // redundancy off: both ports again
    emit list(0).activated(0);
    list(3).setCurrentIndex(1);  // SFP 1 Hotlink input "External"
    list(8).setCurrentIndex(0);  // SFP 2 Disabled
    emit list(8).activated(0);
    // PHD: back to "Primary and expansion" drops port 2's own mode.
    ValueList& portConfig = Nth<ValueList>(SettingsTab::Phd, 0);
    portConfig.setCurrentIndex(0);
    emit portConfig.activated(0);
    EXPECT_FALSE(Nth<ValueList>(SettingsTab::Phd, 2).isEnabled());

    prompter.answers = {true};
    dialog->SaveChanges();
    const ConfigBlock& edited = dialog->Edited();
    EXPECT_EQ(edited.redundancyEnable, 0);
    EXPECT_EQ(edited.hlinkInMode[0].mode, 1);
    EXPECT_EQ(edited.hlinkOutMode[0].mode, 1);  // the output mode is not the input list's
    EXPECT_EQ(edited.optMode[1].mode, 0);
    EXPECT_EQ(edited.madiOut[2].mode, 0);  // a disabled port's MADI values are cleared
    EXPECT_EQ(edited.phd.emuMode1, 1);
    EXPECT_EQ(edited.phd.emuMode2, 0);

    // Firmware without redundancy: the lists stay disabled and redundancy is stored off.
    dialog = std::make_unique<SettingsDialog>(SettingsSubject{config.get(), ModelClass::Full, false},
                                              prompter, files);
    dialog->show();
    EXPECT_FALSE(list(0).isEnabled());
    prompter.answers = {true};
    dialog->SaveChanges();
    EXPECT_EQ(dialog->Edited().redundancyEnable, 0);
}

TEST_F(SettingsDialogTest, FilesTakeThePagesEditsAndRefusalsAreSaid) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("frame.cfg").toStdString();
    Open();
    Field(SettingsTab::SystemDelay, 0).setText("17");
    files.names = {path};
    dialog->SaveToFile();
    auto written = std::make_unique<ConfigBlock>();
    ASSERT_EQ(LoadSettingsFile(path, *written), std::nullopt);
    EXPECT_EQ(written->systemDelay, 17);

    files.names = {dir.filePath("missing.cfg").toStdString()};
    dialog->LoadFromFile();
    EXPECT_EQ(prompter.shown.back().rfind("warning: The settings file was not loaded.", 0), 0u);

    written->aliveTime = 44;
    ASSERT_EQ(SaveSettingsFile(path, *written), std::nullopt);
    files.names = {path};
    dialog->LoadFromFile();
    EXPECT_EQ(Field(SettingsTab::AliveTime, 0).text(), "44");
    EXPECT_EQ(dialog->Edited().aliveTime, 44);
}

TEST_F(SettingsDialogTest, OtherPartsCanFillTheCardAndHardwareTabs) {
    Open();
    auto* card = new QLabel("cards");
    dialog->SetPage(SettingsTab::CardConfiguration, card);
    EXPECT_EQ(dialog->Page(SettingsTab::CardConfiguration), card);
    EXPECT_EQ(card->parentWidget()->parentWidget()->metaObject()->className(), std::string("QTabWidget"));
}

}  // namespace
}  // namespace velmar
