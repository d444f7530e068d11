#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include "features/channeltools/tests/ChannelToolsFixture.h"
#include "features/channeltools/view/ChannelTableModel.h"
#include "features/leveldetectors/view/LevelDetectorDialog.h"
#include "tools/ChannelFindBox.h"

namespace velmar::test {
namespace {

class Detectors : public ChannelToolsFixture {
  protected:
    // Every cell of a row, " | " between them.
    static QString Row(LevelDetectorDialog& dialog, int row) {
        QStringList cells;
        for (int column = 0; column < dialog.Model()->columnCount(); ++column)
            cells << dialog.Model()->data(dialog.Model()->index(row, column), Qt::DisplayRole).toString();
        return cells.join(QStringLiteral(" | "));
    }
    static bool Alarmed(LevelDetectorDialog& dialog, int row) {
        return dialog.Model()->data(dialog.Model()->index(row, 3), Qt::BackgroundRole).isValid();
    }
    void SelectChannel(LevelDetectorDialog& dialog, std::int32_t channel) {
        const QModelIndex cell = dialog.Model()->index(dialog.Model()->RowOf(channel), 0);
        dialog.List()->selectionModel()->setCurrentIndex(
            cell, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    void Type(LevelDetectorDialog& dialog, std::int32_t direction, const char* time1, const char* level1,
              bool enable) {
        const LevelDetectorDialog::DirectionFields& f = dialog.Fields(direction);
        f.time1->setText(QString::fromLatin1(time1));
        f.level1->setText(QString::fromLatin1(level1));
        f.enable->setChecked(enable);
    }
};

TEST_F(Detectors, ApplySendsWhatDiffersAndStopsAtAFieldOutOfRange) {
    Connect(ModelClass::Full, false);
    LevelDetectorDialog dialog(session, prompter, nullptr);
    ASSERT_EQ(dialog.Model()->rowCount(), 1536);
    SelectChannel(dialog, 5);
    Type(dialog, 0, "700000", "-40", true);
    dialog.Apply(0);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0], "Input time 1 must be a whole number of ms from 0 to 99999.");
    EXPECT_TRUE(Sent().empty());
    Type(dialog, 1, "100", "70000", true);
    dialog.Apply(1);
    EXPECT_EQ(prompter.shown.size(), 2u);
    EXPECT_TRUE(Sent().empty());

    Type(dialog, 0, "99999", "-40", true);
    dialog.Apply(0);
    EXPECT_EQ(Sent(),
              (std::vector<std::string>{"&slevdetthres,0,5,-40.00,99999,0.00,0", "&slevdetstate,0,5,1"}));
    Reply(":slevdetthres,0,0,5,-40.00,99999,0.00,0");
    Reply(":slevdetstate,0,0,5,1");
    EXPECT_EQ(Row(dialog, 4), "CARD1 05 | 99999 | -40 | 0 | 0 | yes | ok | 0 | 0 | 0 | 0 | no | off");
    dialog.Apply(0);
    EXPECT_TRUE(Sent().empty());

    // A stored 3.50 dB is shown and kept as it is, not cut to 3.
    Reply(":glevdetthres,0,1,6,3.50,100,0.00,0");
    SelectChannel(dialog, 6);
    EXPECT_EQ(dialog.Fields(1).level1->text(), "3.50");
    dialog.Apply(1);
    EXPECT_TRUE(Sent().empty());
    prompter.answers = {true};
    dialog.ClearSelected(1);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"&slevdetthres,1,6,0.00,0,0.00,0"}));
}

TEST_F(Detectors, StatusIsAskedPerActiveChannelOrInRunsWithinTheChannels) {
    Connect(ModelClass::NoCards, false);
    LevelDetectorDialog::RequestDetectors(session);
    const std::vector<std::string> opening = Sent();
    ASSERT_EQ(opening.size(), 2u * 512 + 16);
    EXPECT_EQ(opening.front(), "?glevdetthres,0,513");
    EXPECT_EQ(opening.back(), "?llevdetstatus,1,897,128");

    LevelDetectorDialog dialog(session, prompter, nullptr);
    dialog.GetStatus();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"?llevdetstatus,0,513,128", "?llevdetstatus,0,641,128",
                                                "?llevdetstatus,0,769,128", "?llevdetstatus,0,897,128",
                                                "?llevdetstatus,1,513,128", "?llevdetstatus,1,641,128",
                                                "?llevdetstatus,1,769,128", "?llevdetstatus,1,897,128"}));

    Reply(":glevdetstate,0,1,600,1");
    dialog.SetShowActiveOnly(true);
    ASSERT_EQ(dialog.Model()->rowCount(), 1);
    EXPECT_EQ(dialog.Model()->ChannelAt(0), 600);
    dialog.GetStatus();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"?glevdetstatus,0,600", "?glevdetstatus,1,600"}));
    // The find box looks only at the rows on show, and the fields follow the row it finds.
    Reply(":glevdetthres,0,0,600,-20.00,300,0.00,0");
    Reply(":glabel,0,1,513,'Lectern'");
    QTest::keyClicks(dialog.FindBox(), "lect");
    EXPECT_EQ(dialog.FindBox()->Hits()->text(), "no match");
    dialog.FindBox()->clear();
    QTest::keyClicks(dialog.FindBox(), "600");
    EXPECT_EQ(dialog.List()->currentIndex().row(), 0);
    EXPECT_EQ(dialog.Fields(0).time1->text(), "300");
    EXPECT_FALSE(Alarmed(dialog, 0));
    Reply(":glevdetstatus,0,1,600,1");
    // A trip is said in words and the whole row is marked.
    EXPECT_EQ(Row(dialog, 0), "MADI 08 | 300 | -20 | 0 | 0 | no | off | 0 | 0 | 0 | 0 | yes | tripped");
    EXPECT_TRUE(Alarmed(dialog, 0));
}

}  // namespace
}  // namespace velmar::test
