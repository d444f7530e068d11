#pragma once

#include <QTreeWidget>
#include <cstdint>
#include <vector>

#include "device/discovery/DeviceEntry.h"

namespace velmar {

// The device list: one bold row per known frame in five columns, the connected frame's row on
// green. It shows a DeviceList; it holds no frames of its own.
class DeviceListView final : public QTreeWidget {
    Q_OBJECT

  public:
    explicit DeviceListView(QWidget* parent = nullptr);

    // Shows `rows`, keeping the selection on the same frame when it is still listed.
    void Show(const std::vector<DeviceRow>& rows, std::uint32_t connectedIp);
    // Index of the first selected row, or -1.
    int SelectedRow() const;
    void SelectRow(int row);
};

}  // namespace velmar
