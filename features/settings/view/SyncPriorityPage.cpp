#include "features/settings/view/SyncPriorityPage.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "features/settings/core/SettingRanges.h"
#include "widgets/EditableGrid.h"
#include "widgets/ProblemNote.h"

namespace velmar {

namespace {

constexpr int kPriorityColumn = 1;

std::optional<int> Priority(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || !RangeOf(Setting::SyncPriority).Allows(value))
        return std::nullopt;
    return value;
}

}  // namespace

SyncPriorityPage::SyncPriorityPage(QWidget* parent)
    : SettingsPage(parent),
      grid_(new EditableGrid),
      note_(new ProblemNote),
      termination_(new QCheckBox(" Word/Video sync input termination")) {
    grid_->SetColumns({"External source", "Priority"});
    grid_->setShowGrid(true);
    grid_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 8);
    grid_->SetColumnReadOnly(0, true);
    // A text that is not a priority stays in its cell, marked, and keeps the page from being stored
    // until it is mended: nothing typed is dropped, nothing refused is sent.
    grid_->SetColumnEditor(kPriorityColumn,
                           EditableGrid::LineEditor({}, [](QWidget&, EditableGrid::CellEdit& edit) {
                               if (const auto value = Priority(edit.text))
                                   edit.text = QString::number(*value);
                               return edit.commit;
                           }));
    connect(grid_, &QTableWidget::itemChanged, this, [this] { CheckRows(); });
    for (const SyncSource& source : SyncSources()) {
        if (!HasPriorityRow(source.number))
            continue;
        const int row = grid_->InsertRow(
            grid_->rowCount(),
            QString::fromUtf8(source.name.data(), static_cast<qsizetype>(source.name.size())));
        grid_->SetRowValue(row, static_cast<std::uint32_t>(source.number));
    }
    auto* column = new QVBoxLayout(this);
    column->addWidget(grid_);
    column->addWidget(note_);
    column->addWidget(new QLabel("Priority: 0=disabled, 1..31(lowest)"));
    column->addWidget(termination_);
}

void SyncPriorityPage::Load(const ConfigBlock& config) {
    grid_->EndEdit(false);
    for (int row = 0; row < grid_->rowCount(); ++row)
        grid_->SetText(row, kPriorityColumn, QString::number(config.syncPrio[grid_->RowValue(row) - 2]));
    termination_->setChecked(config.syncTermEnable != 0);
}

std::optional<std::string> SyncPriorityPage::CheckRows() {
    if (checking_)
        return std::nullopt;
    checking_ = true;
    QString first;
    for (int row = 0; row < grid_->rowCount(); ++row) {
        const QString text = grid_->Text(row, kPriorityColumn);
        const bool bad = !Priority(text);
        grid_->SetRowColors(row, bad ? QColor(0xff, 0xdc, 0xdc) : QColor(), QColor());
        if (bad && first.isEmpty())
            first = grid_->Text(row, 0) + ": \"" + text + "\" is not a priority (0 = disabled, 1 to 31).";
    }
    note_->Set(grid_, first);
    checking_ = false;
    return first.isEmpty() ? std::nullopt : std::optional<std::string>(first.toStdString());
}

std::optional<std::string> SyncPriorityPage::Store(ConfigBlock& config) {
    grid_->EndEdit(true);
    if (auto problem = CheckRows())
        return problem;
    for (int row = 0; row < grid_->rowCount(); ++row) {
        const std::uint32_t source = grid_->RowValue(row);
        if (!HasPriorityRow(static_cast<std::int32_t>(source)))
            continue;
        if (const auto value = Priority(grid_->Text(row, kPriorityColumn)))
            config.syncPrio[source - 2] = static_cast<std::uint8_t>(*value);
    }
    config.syncTermEnable = termination_->isChecked() ? 1 : 0;
    return std::nullopt;
}

}  // namespace velmar
