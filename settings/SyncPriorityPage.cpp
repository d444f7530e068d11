#include "settings/SyncPriorityPage.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <array>

#include "widgets/EditableGrid.h"

namespace velmar {

namespace {

struct SourceRow {
    const char* name;
    std::uint32_t source;  // the wire's source number; the priority sits at source - 2
};

// PHD 1 and PHD 2 (13, 14) have no row: their priorities are kept as the frame has them.
constexpr std::array<SourceRow, 15> kSources{{
    {"Word clock", 2},
    {"AES11", 3},
    {"Video clock", 4},
    {"AES Input 1", 5},
    {"AES Input 2", 6},
    {"AES Input 3", 7},
    {"AES Input 4", 8},
    {"AES Input 5", 9},
    {"AES Input 6", 10},
    {"AES Input 7", 11},
    {"AES Input 8", 12},
    {"Madi coax", 15},
    {"SFP 1", 16},
    {"SFP 2", 17},
    {"IP", 18},
}};

constexpr int kPriorityColumn = 1;

std::optional<int> Priority(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 0 || value > 31)
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
                               const QString typed = static_cast<QLineEdit&>(editor).text();
                               if (const auto value = Priority(typed))
                                   edit.text = QString::number(*value);
                               return edit.commit;
                           }));
    for (const SourceRow& source : kSources) {
        const int row = grid_->InsertRow(grid_->rowCount(), source.name);
        grid_->SetRowValue(row, source.source);
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
        if (source < 2 || source == 13 || source == 14)
            continue;
        if (const auto value = Priority(grid_->Text(row, kPriorityColumn)))
            config.syncPrio[source - 2] = static_cast<std::uint8_t>(*value);
    }
    config.syncTermEnable = termination_->isChecked() ? 1 : 0;
    return std::nullopt;
}

}  // namespace velmar
