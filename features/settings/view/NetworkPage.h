#pragma once

#include "features/settings/view/SettingsPage.h"

namespace velmar {

class AddressChoice;

// " Network ": how the frame gets its address.
class NetworkPage final : public SettingsPage {
  public:
    explicit NetworkPage(QWidget* parent = nullptr);
    void Load(const ConfigBlock& config) override;
    std::optional<std::string> Store(ConfigBlock& config) override;

  private:
    AddressChoice* choice_;
};

}  // namespace velmar
