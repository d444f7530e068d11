#pragma once

#include <QTableWidget>

#include "device/DeviceState.h"

namespace velmar {

// The frame's boards with their type and version, serial number and software versions. The
// device-menu window and the settings editor's page show it with their own row rules; both
// only display.
class HwConfigView final : public QTableWidget {
    Q_OBJECT

  public:
    explicit HwConfigView(QWidget* parent = nullptr);

    // Every position of the window's list, card slots included, uncoloured.
    void ShowWindowRows(const ConfigBlock& config);
    // The editor page's rows: card slots only on a frame that has them; present boards green.
    void ShowPageRows(const ConfigBlock& config, bool cardSlots);
};

}  // namespace velmar
