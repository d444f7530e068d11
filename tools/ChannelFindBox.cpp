#include "tools/ChannelFindBox.h"

#include <QAbstractItemView>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QShortcut>
#include <algorithm>

#include "features/routing/core/ChannelLabel.h"
#include "widgets/ProblemNote.h"

namespace velmar {

ChannelFindBox::ChannelFindBox(QAbstractItemView& view, ChannelAt channelAt, const DeviceState& state,
                               QWidget& window)
    : QLineEdit(&window), view_(view), channelAt_(std::move(channelAt)), state_(state), hits_(new QLabel) {
    setPlaceholderText(QStringLiteral("channel or label"));
    setClearButtonEnabled(true);
    setToolTip(QStringLiteral("Enter or F3: next match, Shift+F3: previous"));
    connect(this, &QLineEdit::textEdited, this, [this] { Go(0); });
    const auto shortcut = [&window](const QKeySequence& keys, const std::function<void()>& act) {
        auto* key = new QShortcut(keys, &window);
        key->setContext(Qt::WidgetWithChildrenShortcut);
        connect(key, &QShortcut::activated, &window, act);
    };
    shortcut(QKeySequence(Qt::Key_F3), [this] { FindNext(); });
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { FindPrevious(); });
    shortcut(QKeySequence::Find, [this] {
        setFocus(Qt::ShortcutFocusReason);
        selectAll();
    });
}

QHBoxLayout* ChannelFindBox::NewRow() {
    auto* label = new QLabel(QStringLiteral("&Find:"));
    label->setBuddy(this);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(this, 1);
    hits_->setMinimumWidth(hits_->fontMetrics().horizontalAdvance(QStringLiteral("0000 of 0000")));
    row->addWidget(hits_);
    return row;
}

void ChannelFindBox::FindNext() {
    Go(1);
}

void ChannelFindBox::FindPrevious() {
    Go(-1);
}

void ChannelFindBox::keyPressEvent(QKeyEvent* event) {
    // A dialog presses its default button on an Enter nobody took: here it means "next match".
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Go(event->modifiers() & Qt::ShiftModifier ? -1 : 1);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape && !text().isEmpty()) {
        clear();
        Go(0);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

std::vector<int> ChannelFindBox::Matches() const {
    std::vector<int> rows;
    const std::string query = text().toStdString();
    if (text().trimmed().isEmpty() || view_.model() == nullptr)
        return rows;
    const int count = view_.model()->rowCount();
    for (int row = 0; row < count; ++row) {
        const std::int32_t channel = channelAt_(row);
        if (ChannelOrLabelMatches(state_, RouteSide::Input, channel, query) ||
            ChannelOrLabelMatches(state_, RouteSide::Output, channel, query))
            rows.push_back(row);
    }
    return rows;
}

void ChannelFindBox::Go(int step) {
    const std::vector<int> rows = Matches();
    if (text().trimmed().isEmpty()) {
        hits_->clear();
        ProblemNote::Mark(*this, {});
        return;
    }
    if (rows.empty()) {
        hits_->setText(QStringLiteral("no match"));
        ProblemNote::Mark(*this, QStringLiteral("No channel name, number or label holds this text."));
        return;
    }
    ProblemNote::Mark(*this, {});
    const int current = view_.currentIndex().isValid() ? view_.currentIndex().row() : -1;
    std::size_t at = 0;
    if (step < 0) {
        // The last match before the current row, else the last of all.
        const auto before = std::lower_bound(rows.begin(), rows.end(), current);
        at = before == rows.begin() ? rows.size() - 1 : static_cast<std::size_t>(before - rows.begin()) - 1;
    } else {
        const auto from = step == 0 ? std::lower_bound(rows.begin(), rows.end(), current)
                                    : std::upper_bound(rows.begin(), rows.end(), current);
        at = from == rows.end() ? 0 : static_cast<std::size_t>(from - rows.begin());
    }
    const int row = rows[at];
    hits_->setText(QStringLiteral("%1 of %2").arg(at + 1).arg(rows.size()));
    const QModelIndex target = view_.model()->index(row, 0);
    if (row != current)
        view_.selectionModel()->setCurrentIndex(
            target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view_.scrollTo(target);
}

}  // namespace velmar
