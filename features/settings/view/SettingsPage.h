#pragma once

#include <QWidget>
#include <optional>
#include <string>

#include "device/DeviceState.h"

namespace velmar {

// One page of the settings editor. A page shows part of the editor's working copy and takes the
// operator's values back; a page that never loaded (hardware the frame lacks) stores nothing.
class SettingsPage : public QWidget {
  public:
    using QWidget::QWidget;
    // Working copy → controls.
    virtual void Load(const ConfigBlock& config) = 0;
    // Controls → `config`. The reason, as a sentence for the operator, when a value cannot be
    // taken; the field concerned then keeps its value in `config` and the control shows it again.
    virtual std::optional<std::string> Store(ConfigBlock& config) = 0;
};

}  // namespace velmar
