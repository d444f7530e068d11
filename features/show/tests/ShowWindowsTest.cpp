#include <gtest/gtest.h>

#include <QCheckBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <memory>

#include "console/ConsoleCore.h"
#include "features/routing/core/ChannelNames.h"
#include "features/show/view/ShowApplyDialog.h"
#include "features/show/view/ShowCompareDialog.h"
#include "features/show/view/ShowSaveDialog.h"
#include "platform/qt/QtProfileStore.h"
#include "tests/cli/CliRun.h"
#include "tests/console/ConsoleTestSupport.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"

namespace velmar {
namespace {

using namespace std::chrono_literals;

// The show windows on a console core against the simulated rack: saved from the device list,
// compared, applied with a choice of sections and undone with the file the apply wrote first.
class ShowWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        test::EnsureApplication();
        sim_ = std::make_unique<test::SimProcess>();
        sim_->ExportPorts();
        ASSERT_TRUE(dir_.isValid());
        profile_ = std::make_unique<QtProfileStore>(dir_.filePath(QStringLiteral("profile.ini")));
        core_ = std::make_unique<ConsoleCore>(ConsoleOptions{},
                                              ConsoleServices{&prompter_, &files_, profile_.get()});
        file_ = test::OwnTempFolder() + "/rack.toml";
    }

    static int Cli(const std::vector<std::string>& args) { return test::RunCli(args).code; }
    ShowFile Load() {
        std::string problem;
        ShowFile show = ShowFile::Load(file_, problem);
        EXPECT_EQ(problem, "");
        return show;
    }
    static std::string Texts(QTreeWidget& tree) {
        std::string text;
        for (int i = 0; i < tree.topLevelItemCount(); ++i) {
            QTreeWidgetItem* frame = tree.topLevelItem(i);
            text += frame->text(0).toStdString() + ": " + frame->text(1).toStdString() + "\n";
            for (int j = 0; j < frame->childCount(); ++j)
                text += "  " + frame->child(j)->text(0).toStdString() + ": " +
                        frame->child(j)->text(1).toStdString() + "\n";
        }
        return text;
    }

    std::unique_ptr<test::SimProcess> sim_;
    QTemporaryDir dir_;
    std::unique_ptr<QtProfileStore> profile_;
    test::ScriptedPrompter prompter_;
    test::ScriptedFilePicker files_;
    std::unique_ptr<ConsoleCore> core_;
    std::string file_;
};

TEST_F(ShowWindows, SaveCompareApplyChosenSectionsAndUndo) {
    ASSERT_EQ(Cli({"route", "127.0.0.2", "20", "5"}), kExitOk);
    ASSERT_EQ(Cli({"label", "127.0.0.2", "in", "5", "Kick In"}), kExitOk);
    core_->Finder().Start();
    ASSERT_TRUE(test::WaitUntil([&] { return core_->Finder().List().Size() >= 4; }));
    {
        ShowSaveDialog save(*core_);
        int ticked = 0;
        for (int i = 0; i < save.Frames().count(); ++i) {
            QListWidgetItem* row = save.Frames().item(i);
            const bool wanted = row->text().startsWith(QStringLiteral("127.0.0.2 ")) ||
                                row->text().startsWith(QStringLiteral("127.0.0.3 "));
            row->setCheckState(wanted ? Qt::Checked : Qt::Unchecked);
            ticked += wanted ? 1 : 0;
        }
        EXPECT_EQ(ticked, 2) << "the spare in its recovery firmware is not offered";
        save.SaveTo(file_);
        ASSERT_TRUE(test::WaitUntil([&] { return save.Finished(); }, 15s));
        EXPECT_EQ(save.Outcome().toStdString(), "2 frames saved to " + file_);
    }
    EXPECT_EQ(Cli({"show", "diff", file_}), kExitOk) << "the window writes what velmar-cli reads";

    ASSERT_EQ(Cli({"route", "127.0.0.2", "20", "8"}), kExitOk);
    ASSERT_EQ(Cli({"label", "127.0.0.2", "in", "5", "Snare"}), kExitOk);
    {
        ShowCompareDialog compare(*core_, Load(), file_);
        ASSERT_TRUE(test::WaitUntil([&] { return compare.Ready(); }, 15s));
        EXPECT_EQ(Texts(compare.Tree()),
                  "K5A0011703042 Studio A (127.0.0.2): 2 differences\n  routes: " + ChannelText(20) +
                      ": from " + ChannelText(8) + " to " + ChannelText(5) +
                      "\n  labels: label in 5: 'Snare' to 'Kick In'\n"
                      "LW160021804011 Wall box (127.0.0.3): as the show\n");
    }
    {
        ShowApplyDialog apply(*core_, Load(), file_);
        ASSERT_TRUE(test::WaitUntil([&] { return apply.Ready(); }, 15s));
        // The preview reads each frame on a session of its own, lists the lines Send would write
        // and sends none of them.
        const std::size_t sessions = core_->Frames().Count();
        apply.PreviewRequests();
        EXPECT_EQ(core_->Frames().Count(), sessions + 2) << "a preview shares no session";
        ASSERT_TRUE(test::WaitUntil([&] { return apply.PreviewListed(); }, 15s));
        EXPECT_EQ(apply.Requests().toPlainText().toStdString(),
                  "K5A0011703042 Studio A (127.0.0.2): 2 requests\n&scross,20,5,0,0\n&slabel,0,5,'Kick In'\n"
                  "LW160021804011 Wall box (127.0.0.3): 0 requests\n");
        EXPECT_EQ(Cli({"show", "diff", file_, "--only", "routes"}), kExitFailure) << "nothing was sent";
        EXPECT_EQ(Cli({"show", "diff", file_, "--only", "labels"}), kExitFailure) << "nothing was sent";
        EXPECT_TRUE(test::WaitUntil([&] { return core_->Frames().Count() == sessions; }));
        apply.Section("routes").setChecked(false);
        EXPECT_EQ(apply.Requests().toPlainText().toStdString(), "") << "a preview of other sections is gone";
        const std::string preview = apply.Preview().toPlainText().toStdString();
        EXPECT_EQ(preview.find("routes:"), std::string::npos) << preview;
        EXPECT_NE(preview.find("labels: label in 5: 'Snare' to 'Kick In'"), std::string::npos) << preview;
        apply.Send();
        ASSERT_TRUE(test::WaitUntil([&] { return apply.Finished(); }, 15s));
        const std::string report = apply.Report().toPlainText().toStdString();
        EXPECT_NE(report.find("K5A0011703042 Studio A (127.0.0.2): 1 requests answered\n"), std::string::npos)
            << report;
        EXPECT_NE(report.find(file_ + ".before-apply.toml"), std::string::npos) << report;
    }
    EXPECT_EQ(test::RunCli({"show", "diff", file_, "--only", "labels"}).code, kExitOk);
    EXPECT_EQ(Cli({"show", "diff", file_, "--only", "routes"}), kExitFailure) << "routes were not ticked";
    EXPECT_EQ(Cli({"show", "apply", file_ + ".before-apply.toml"}), kExitOk);
    EXPECT_EQ(Cli({"show", "diff", file_, "--only", "labels"}), kExitFailure) << "undone";
}

// A request the frame refuses is reported with its status and the frame is not counted as applied;
// a frame changed after the preview is sent what it holds now, and the report says that this is
// not what was previewed.
TEST_F(ShowWindows, ARefusedRequestOrAPlanOtherThanThePreviewIsReported) {
    ASSERT_EQ(Cli({"label", "127.0.0.2", "in", "5", "Kick In"}), kExitOk);
    ASSERT_EQ(Cli({"show", "save", file_, "127.0.0.2"}), kExitOk);
    ASSERT_EQ(Cli({"label", "127.0.0.2", "in", "5", "Snare"}), kExitOk);
    ShowApplyDialog apply(*core_, Load(), file_);
    ASSERT_TRUE(test::WaitUntil([&] { return apply.Ready(); }, 15s));
    apply.PreviewRequests();
    ASSERT_TRUE(test::WaitUntil([&] { return apply.PreviewListed(); }, 15s));
    ASSERT_EQ(Cli({"label", "127.0.0.2", "in", "5", "Tom"}), kExitOk);
    sim_->Do("fault 127.0.0.2 status slabel -1");
    QTest::qWait(300);  // the frame's notification of the new label reaches the window's session
    apply.Send();
    ASSERT_TRUE(test::WaitUntil([&] { return apply.Finished(); }, 15s));
    const std::string report = apply.Report().toPlainText().toStdString();
    EXPECT_NE(report.find("(127.0.0.2): the frame changed after the preview"), std::string::npos) << report;
    EXPECT_EQ(Cli({"show", "diff", file_ + ".before-apply.toml", "--only", "labels"}), kExitOk)
        << "the undo file keeps the label the frame held at Send";
    EXPECT_NE(report.find("0 requests answered\n  the frame refused slabel 0 5 (status -1)"),
              std::string::npos)
        << report;
    EXPECT_NE(Texts(apply.Frames()).find("(127.0.0.2): not all applied"), std::string::npos)
        << Texts(apply.Frames());
}

// The frame keeps its own network identity unless the box is ticked; a frame that is not there
// is reported, not counted as applied.
TEST_F(ShowWindows, NetworkIdentityOnlyWhenTickedAndAMissingFrameIsReported) {
    ASSERT_EQ(Cli({"show", "save", file_, "127.0.0.2"}), kExitOk);
    ShowFile show = Load();
    for (ShowSetting& setting : show.frames[0].settings) {
        if (setting.key == "IP")
            setting.value = "127.0.0.9";
    }
    ShowFrame missing = show.frames[0];
    missing.serial = "K5A9";
    missing.address = "127.0.0.40";
    show.frames.push_back(missing);
    ShowApplyDialog apply(*core_, show, file_);
    ASSERT_TRUE(test::WaitUntil([&] { return apply.Ready(); }, 30s));
    EXPECT_EQ(apply.Preview().toPlainText().toStdString().find("IP:"), std::string::npos);
    apply.Network().setChecked(true);
    EXPECT_NE(apply.Preview().toPlainText().toStdString().find("settings: IP: 127.0.0.2 to 127.0.0.9"),
              std::string::npos)
        << apply.Preview().toPlainText().toStdString();
    const std::string frames = Texts(apply.Frames());
    EXPECT_NE(frames.find("K5A9 Studio A (127.0.0.40): not reached: "), std::string::npos) << frames;
}

}  // namespace
}  // namespace velmar
