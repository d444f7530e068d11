#include "console/DeviceListView.h"

#include <QBrush>
#include <QHeaderView>

namespace velmar {

namespace {

struct ColumnSpec {
    const char* header;
    int width;
};

// Widths in dialog units of the classic layout; shown at about 1.6 pixels per unit.
constexpr ColumnSpec kColumns[kDeviceColumnCount] = {
    {"IP address", 98}, {"ID", 24}, {"Name", 75}, {"Type", 42}, {"S/N", 104}};
constexpr double kPixelsPerUnit = 1.6;
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
    for (const ColumnSpec& column : kColumns)
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
    clear();
    QList<QTreeWidgetItem*> items;
    for (const DeviceRow& row : rows) {
        auto* item = new QTreeWidgetItem;
        for (int i = 0; i < static_cast<int>(kDeviceColumnCount); ++i) {
            item->setText(i, QString::fromStdString(row.columns[static_cast<std::size_t>(i)]));
            if (connectedIp != 0 && row.address == connectedIp)
                item->setBackground(i, QBrush(kConnectedBackground));
        }
        item->setData(0, Qt::UserRole, row.address);
        items << item;
    }
    addTopLevelItems(items);
    if (selectedAddress.isValid()) {
        for (int i = 0; i < topLevelItemCount(); ++i) {
            if (topLevelItem(i)->data(0, Qt::UserRole) == selectedAddress)
                SelectRow(i);
        }
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
