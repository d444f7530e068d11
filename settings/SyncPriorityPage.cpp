#include "settings/SyncPriorityPage.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "settings/core/SettingRanges.h"
#include "widgets/EditableGrid.h"

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
      termination_(new QCheckBox(" Word/Video sync input termination")) {
    grid_->SetColumns({"External source", "Priority"});
    grid_->setShowGrid(true);
    grid_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 8);
    grid_->SetColumnReadOnly(0, true);
    // A text that is not a priority gets the cell's old text back: nothing typed by mistake is stored.
    grid_->SetColumnEditor(kPriorityColumn,
                           EditableGrid::LineEditor({}, [](QWidget& editor, EditableGrid::CellEdit& edit) {
                               const auto value = Priority(static_cast<QLineEdit&>(editor).text());
                               edit.text = value ? QString::number(*value) : edit.previous;
                               return edit.commit;
                           }));
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
    column->addWidget(new QLabel("Priority: 0=disabled, 1..31(lowest)"));
    column->addWidget(termination_);
}

void SyncPriorityPage::Load(const ConfigBlock& config) {
    grid_->EndEdit(false);
    for (int row = 0; row < grid_->rowCount(); ++row)
        grid_->SetText(row, kPriorityColumn, QString::number(config.syncPrio[grid_->RowValue(row) - 2]));
    termination_->setChecked(config.syncTermEnable != 0);
}

std::optional<std::string> SyncPriorityPage::Store(ConfigBlock& config) {
    grid_->EndEdit(true);
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
