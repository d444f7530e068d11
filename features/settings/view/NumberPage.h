#pragma once

#include <cstdint>

#include "features/settings/core/SettingRanges.h"
#include "features/settings/view/SettingsPage.h"

class QLineEdit;

namespace velmar {
class ProblemNote;
}

namespace velmar {

// A page of one number: " System delay " and " Alive time ".
class NumberPage final : public SettingsPage {
  public:
    NumberPage(const char* label, Setting setting, std::int32_t ConfigBlock::*field,
               QWidget* parent = nullptr);
    void Load(const ConfigBlock& config) override;
    std::optional<std::string> Store(ConfigBlock& config) override;

  private:
    const char* label_;
    Setting setting_;
    std::int32_t ConfigBlock::*field_;
    QLineEdit* box_;
    ProblemNote* note_;
};

}  // namespace velmar
