#include "features/settings/view/HwConfigView.h"

#include <QHeaderView>

#include "features/settings/core/HwConfigRows.h"
#include "platform/qt/FrameText.h"

namespace velmar {

namespace {

void Fill(QTableWidget& table, const std::vector<HwConfigRow>& rows, bool colourPresent) {
    table.clearContents();
    table.setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < table.rowCount(); ++r) {
        const HwConfigRow& row = rows[static_cast<std::size_t>(r)];
        const QString texts[] = {QString::fromStdString(row.module), FrameTextToQString(row.type),
                                 FrameTextToQString(row.serial), FrameTextToQString(row.versions)};
        for (int column = 0; column < 4; ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            item->setData(Qt::UserRole, row.position);
            if (colourPresent && row.present) {
                item->setBackground(QColor(0, 255, 0));
                item->setForeground(QColor(0, 0, 0));
            }
            table.setItem(r, column, item);
        }
    }
}

}  // namespace

HwConfigView::HwConfigView(QWidget* parent) : QTableWidget(0, 4, parent) {
    setHorizontalHeaderLabels({tr("Module"), tr("Type and version"), tr("Serial number"), tr("SW versions")});
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    setColumnWidth(0, 110);
    setColumnWidth(1, 140);
    setColumnWidth(2, 140);
}

void HwConfigView::ShowWindowRows(const ConfigBlock& config) {
    Fill(*this, HwConfigRows(config, HwConfigPlace::Window, true), false);
}

void HwConfigView::ShowPageRows(const ConfigBlock& config, bool cardSlots) {
    Fill(*this, HwConfigRows(config, HwConfigPlace::EditorPage, cardSlots), true);
}

}  // namespace velmar
