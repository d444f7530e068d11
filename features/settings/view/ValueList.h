#pragma once

#include <QComboBox>
#include <optional>

#include "features/settings/core/SettingRanges.h"

namespace velmar {

// A drop-down list whose entries stand for numbers, the choices of one setting's range. Selecting a value
// that no entry carries shows no selection; a list without selection has no value, so storing it keeps what
// was stored.
class ValueList final : public QComboBox {
  public:
    explicit ValueList(QWidget* parent = nullptr);
    explicit ValueList(Setting setting, QWidget* parent = nullptr);
    void SetEntries(Setting setting);
    void Select(int value);
    std::optional<int> Value() const;
};

}  // namespace velmar
