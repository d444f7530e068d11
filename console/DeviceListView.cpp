#include "console/DeviceListView.h"

#include <QBrush>
#include <QHeaderView>

namespace velmar {

namespace {

struct ColumnLayout {
    const char* header;
    int width;
};

// Widths in dialog units of the classic layout; shown at about 1.4 pixels per unit.
constexpr ColumnLayout kColumns[kDeviceColumnCount] = {
    {"IP address", 98}, {"ID", 24}, {"Name", 75}, {"Type", 42}, {"S/N", 104}};
constexpr double kPixelsPerUnit = 1.4;
const QColor kConnectedBackground(0, 255, 0);

}  // namespace

DeviceListView::DeviceListView(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setAllColumnsShowFocus(true);
    setColumnCount(static_cast<int>(kDeviceColumnCount));
    QStringList headers;
    for (const ColumnLayout& column : kColumns)
        headers << QString::fromLatin1(column.header);
    setHeaderLabels(headers);
    for (int i = 0; i < static_cast<int>(kDeviceColumnCount); ++i) {
        setColumnWidth(i, static_cast<int>(kColumns[i].width * kPixelsPerUnit));
    }
    header()->setStretchLastSection(true);
    const QFont normal = font();
    QFont bold = normal;
    bold.setWeight(QFont::Bold);
    setFont(bold);
    header()->setFont(normal);
}

void DeviceListView::Show(const std::vector<DeviceRow>& rows, std::uint32_t connectedIp) {
    const int selected = SelectedRow();
    const QVariant selectedAddress =
        selected >= 0 ? topLevelItem(selected)->data(0, Qt::UserRole) : QVariant();
    // Items are reused rather than rebuilt, so a click in progress is not lost to a refresh.
    const int count = static_cast<int>(rows.size());
    while (topLevelItemCount() > count)
        delete takeTopLevelItem(topLevelItemCount() - 1);
    while (topLevelItemCount() < count)
        addTopLevelItem(new QTreeWidgetItem);
    for (int index = 0; index < count; ++index) {
        const DeviceRow& row = rows[static_cast<std::size_t>(index)];
        QTreeWidgetItem* item = topLevelItem(index);
        const bool connected = connectedIp != 0 && row.address == connectedIp;
        for (int i = 0; i < static_cast<int>(kDeviceColumnCount); ++i) {
            item->setText(i, QString::fromStdString(row.columns[static_cast<std::size_t>(i)]));
            item->setBackground(i, connected ? QBrush(kConnectedBackground) : QBrush());
        }
        item->setData(0, Qt::UserRole, row.address);
        item->setSelected(selectedAddress.isValid() && selectedAddress.toUInt() == row.address);
    }
}

int DeviceListView::SelectedRow() const {
    int first = -1;
    for (QTreeWidgetItem* item : selectedItems()) {
        const int index = indexOfTopLevelItem(item);
        if (first < 0 || index < first)
            first = index;
    }
    return first;
}

void DeviceListView::SelectRow(int row) {
    clearSelection();
    if (QTreeWidgetItem* item = topLevelItem(row)) {
        item->setSelected(true);
        setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
    }
}

}  // namespace velmar
