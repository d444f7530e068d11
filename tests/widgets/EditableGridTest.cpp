#include "widgets/EditableGrid.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <vector>

namespace velmar {
namespace {

struct EndRecord {
    int row;
    QString text;
    bool commit;
};

// A window with a three-column grid (two read-only columns, then an edit box) and a field after it, as
// the settings pages use it.
class EditableGridTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window_);
        grid_ = new EditableGrid(&window_);
        after_ = new QLineEdit(&window_);
        layout->addWidget(grid_);
        layout->addWidget(after_);
        grid_->SetColumns({"Source", "Kind", "Priority"});
        grid_->SetColumnReadOnly(0, true);
        grid_->SetColumnReadOnly(1, true);
        grid_->SetColumnEditor(
            2, EditableGrid::LineEditor({}, [this](QWidget& editor, EditableGrid::CellEdit& edit) {
                ends_.push_back({edit.row, static_cast<QLineEdit&>(editor).text(), edit.commit});
                edit.text = static_cast<QLineEdit&>(editor).text();
                return edit.commit;
            }));
        for (int row = 0; row < 3; ++row) {
            grid_->InsertRow(row, QStringLiteral("source %1").arg(row));
            grid_->SetText(row, 1, QStringLiteral("kind"));
            grid_->SetText(row, 2, QString::number(row));
            grid_->SetRowValue(row, static_cast<std::uint32_t>(row + 10));
        }
        window_.resize(400, 300);
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }

    QLineEdit* Editor() const { return qobject_cast<QLineEdit*>(grid_->Editor()); }

    static void Type(const QString& text) {
        QWidget* focus = QApplication::focusWidget();
        static_cast<QLineEdit*>(focus)->setText(text);
    }
    static void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }

    // As a window system delivers it: the second press comes before the double-click event.
    static void DoubleClick(QWidget* widget, QPoint at) {
        QTest::mouseClick(widget, Qt::LeftButton, {}, at);
        QTest::mousePress(widget, Qt::LeftButton, {}, at);
        QMouseEvent twice(QEvent::MouseButtonDblClick, at, widget->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &twice);
        QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
    }

    QWidget window_;
    EditableGrid* grid_ = nullptr;
    QLineEdit* after_ = nullptr;
    std::vector<EndRecord> ends_;
};

TEST_F(EditableGridTest, EnterCommitsEscapeDiscardsAndNeitherReachesTheDialog) {
    QPushButton fallback(&window_);
    QSignalSpy clicks(&fallback, &QPushButton::clicked);

    ASSERT_TRUE(grid_->EditCell(1, 2));
    EXPECT_EQ(Editor()->selectedText(), "1");
    EXPECT_EQ(QApplication::focusWidget(), Editor());
    Type("7");
    Press(Qt::Key_Return);
    EXPECT_FALSE(grid_->IsEditing());
    EXPECT_EQ(grid_->Text(1, 2), "7");

    ASSERT_TRUE(grid_->EditCell(1, 2));
    Type("9");
    Press(Qt::Key_Escape);
    EXPECT_FALSE(grid_->IsEditing());
    EXPECT_EQ(grid_->Text(1, 2), "7");
    ASSERT_EQ(ends_.size(), 2u);
    EXPECT_TRUE(ends_[0].commit);
    EXPECT_FALSE(ends_[1].commit);
    EXPECT_TRUE(window_.isVisible());
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(EditableGridTest, OpeningRulesDoubleClickAndReplacingAnOpenEdit) {
    QSignalSpy doubleClicks(grid_, &QTableWidget::cellDoubleClicked);
    const QPoint readOnlyCell = grid_->visualRect(grid_->model()->index(0, 1)).center();
    DoubleClick(grid_->viewport(), readOnlyCell);
    EXPECT_FALSE(grid_->IsEditing());
    EXPECT_EQ(doubleClicks.count(), 1);

    const QPoint editable = grid_->visualRect(grid_->model()->index(0, 2)).center();
    DoubleClick(grid_->viewport(), editable);
    EXPECT_TRUE(grid_->IsEditing());
    EXPECT_EQ(doubleClicks.count(), 1);

    Type("5");
    ASSERT_TRUE(grid_->EditCell(2, 2));  // ends the first with commit
    EXPECT_EQ(grid_->Text(0, 2), "5");
    EXPECT_FALSE(grid_->EditCell(2, 0));
    EXPECT_FALSE(grid_->EditCell(3, 2));
    EXPECT_FALSE(grid_->EditCell(-1, 2));
}

TEST_F(EditableGridTest, TabWalksTheEditableCellsAndLeavesAfterTheLast) {
    grid_->setFocus();
    Press(Qt::Key_Tab);
    ASSERT_TRUE(grid_->IsEditing());
    EXPECT_EQ(Editor()->text(), "0");  // the first editable cell

    Type("4");
    Press(Qt::Key_Tab);
    EXPECT_EQ(grid_->Text(0, 2), "4");  // Tab commits
    EXPECT_EQ(Editor()->text(), "1");
    Press(Qt::Key_Backtab);
    EXPECT_EQ(Editor()->text(), "4");

    ASSERT_TRUE(grid_->EditCell(2, 2));
    Press(Qt::Key_Tab);
    EXPECT_FALSE(grid_->IsEditing());
    EXPECT_EQ(QApplication::focusWidget(), after_);

    grid_->setFocus();
    grid_->Clear();
    for (int row = 0; row < 3; ++row)
        grid_->InsertRow(row, QStringLiteral("source %1").arg(row));
    Press(Qt::Key_Backtab);
    ASSERT_TRUE(grid_->IsEditing());
    EXPECT_TRUE(
        grid_->visualRect(grid_->model()->index(2, 2)).contains(grid_->Editor()->geometry().center()));
    grid_->EndEdit(false);

    grid_->setFocus();
    Press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_FALSE(grid_->IsEditing());

    grid_->Clear();
    grid_->setFocus();
    Press(Qt::Key_Tab);
    EXPECT_FALSE(grid_->IsEditing());
    EXPECT_EQ(QApplication::focusWidget(), after_);
}

TEST_F(EditableGridTest, FocusClicksAndWheelElsewhereCommitButNotInsideTheEditor) {
    ASSERT_TRUE(grid_->EditCell(0, 2));
    Type("11");
    QTest::mouseClick(Editor(), Qt::LeftButton);
    EXPECT_TRUE(grid_->IsEditing());
    after_->setFocus();
    EXPECT_FALSE(grid_->IsEditing());
    EXPECT_EQ(grid_->Text(0, 2), "11");

    ASSERT_TRUE(grid_->EditCell(1, 2));
    Type("12");
    QTest::mousePress(after_, Qt::LeftButton);
    QTest::mouseRelease(after_, Qt::LeftButton);
    EXPECT_FALSE(grid_->IsEditing());
    EXPECT_EQ(grid_->Text(1, 2), "12");

    ASSERT_TRUE(grid_->EditCell(2, 2));
    Type("13");
    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), {}, QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid_->viewport(), &wheel);
    EXPECT_FALSE(grid_->IsEditing());
    EXPECT_EQ(grid_->Text(2, 2), "13");
}

TEST_F(EditableGridTest, AnOpenDropDownKeepsTheEditUntilItCloses) {
    grid_->SetColumnEditor(1, EditableGrid::ListEditor({"Auto", "As internal"}));
    grid_->SetColumnReadOnly(1, false);
    grid_->SetText(0, 1, "As internal");
    ASSERT_TRUE(grid_->EditCell(0, 1));
    auto* list = qobject_cast<QComboBox*>(grid_->Editor());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->currentIndex(), 1);

    list->showPopup();
    ASSERT_TRUE(QApplication::activePopupWidget() != nullptr);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(after_, &press);
    EXPECT_TRUE(grid_->IsEditing());

    list->hidePopup();
    list->setCurrentIndex(0);
    QTest::mouseClick(after_, Qt::LeftButton);
    EXPECT_FALSE(grid_->IsEditing());
    EXPECT_EQ(grid_->Text(0, 1), "Auto");
}

TEST_F(EditableGridTest, AnEditLandsOnItsOwnRowOrIsDiscardedWhenTheRowIsGone) {
    ASSERT_TRUE(grid_->EditCell(1, 2));
    Type("21");
    grid_->InsertRow(0, "inserted above");
    grid_->EndEdit(true);
    EXPECT_EQ(grid_->Text(2, 2), "21");  // the row it began on, now one lower
    EXPECT_EQ(grid_->Text(1, 2), "0");

    ASSERT_TRUE(grid_->EditCell(2, 2));
    Type("22");
    grid_->Clear();  // refilled while the editor was open
    for (int row = 0; row < 4; ++row)
        grid_->InsertRow(row, "refilled");
    EXPECT_FALSE(grid_->IsEditing());
    EXPECT_EQ(grid_->Text(2, 2), "");
    ASSERT_FALSE(ends_.empty());
    EXPECT_FALSE(ends_.back().commit);
    EXPECT_EQ(ends_.back().row, -1);
}

TEST_F(EditableGridTest, EndCallbackDecidesWhatIsStoredAndBeginCanRefuse) {
    grid_->SetColumnEditor(
        2, EditableGrid::LineEditor([](QWidget&, EditableGrid::CellEdit& edit) { return edit.value != 11; },
                                    [](QWidget&, EditableGrid::CellEdit& edit) {
                                        edit.text = "forced";
                                        return true;
                                    }));
    EXPECT_FALSE(grid_->EditCell(1, 2));  // row value 11 is refused by the begin callback
    ASSERT_TRUE(grid_->EditCell(0, 2));
    grid_->EndEdit(false);
    EXPECT_EQ(grid_->Text(0, 2), "forced");  // stored although discarded: the callback said so

    ASSERT_TRUE(grid_->EditCell(2, 2));
    EXPECT_NO_FATAL_FAILURE(delete grid_);  // destroyed mid-edit: no callback into a dead owner
    grid_ = nullptr;
}

TEST_F(EditableGridTest, EndCallbackHearsWhatWasTypedBesideWhatTheCellHeld) {
    std::vector<std::pair<QString, QString>> heard;  // (typed, previous)
    grid_->SetColumnEditor(2, EditableGrid::LineEditor({}, [&](QWidget&, EditableGrid::CellEdit& edit) {
                               heard.emplace_back(edit.text, edit.previous);
                               return edit.commit;
                           }));
    ASSERT_TRUE(grid_->EditCell(0, 2));
    QTest::keyClicks(Editor(), "Vocal 1");
    Press(Qt::Key_Return);
    ASSERT_TRUE(grid_->EditCell(1, 2));
    QTest::keyClicks(Editor(), "Vocal 2");
    Press(Qt::Key_Tab);  // ends this one and opens row 2
    QTest::keyClicks(Editor(), "Vocal 3");
    QTest::mouseClick(after_, Qt::LeftButton);
    ASSERT_EQ(heard.size(), 3u);
    EXPECT_EQ(heard[0], std::make_pair(QString("Vocal 1"), QString("0")));
    EXPECT_EQ(heard[1], std::make_pair(QString("Vocal 2"), QString("1")));
    EXPECT_EQ(heard[2], std::make_pair(QString("Vocal 3"), QString("2")));
    EXPECT_EQ(grid_->Text(2, 2), "Vocal 3");
}

TEST_F(EditableGridTest, RowValuesAndColours) {
    EXPECT_EQ(grid_->RowValue(2), 12u);
    EXPECT_EQ(grid_->RowValue(7), 0u);
    EXPECT_EQ(grid_->InsertRow(9, "x"), -1);
    grid_->SetRowColors(0, QColor(Qt::red), QColor());
    grid_->SetRowColors(1, QColor(), QColor(Qt::blue));
    grid_->clearSelection();
    const QImage image = grid_->viewport()->grab().toImage();
    const QRect first = grid_->visualRect(grid_->model()->index(0, 1));
    const QRect second = grid_->visualRect(grid_->model()->index(1, 2));
    EXPECT_EQ(image.pixelColor(first.right() - 2, first.center().y()), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(second.right() - 2, second.center().y()),
              grid_->palette().color(QPalette::Base));
}

}  // namespace
}  // namespace velmar
