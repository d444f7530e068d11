#pragma once

#include "features/settings/view/SettingsPage.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;

namespace velmar {

class AddressChoice;
class ProblemNote;
class ValueList;

// " Dante ": the network-audio module's name, its primary and secondary interfaces, the redundancy
// mode and sample rate control. Without a module the page is disabled and leaves the copy alone.
class DantePage final : public SettingsPage {
  public:
    explicit DantePage(QWidget* parent = nullptr);
    void SetPresent(bool present);
    void Load(const ConfigBlock& config) override;
    std::optional<std::string> Store(ConfigBlock& config) override;

  private:
    void FollowRedundancy();

    bool present_ = false;
    QLineEdit* name_;
    ProblemNote* note_;
    AddressChoice* primary_;
    ValueList* redundancy_;
    QGroupBox* secondaryBox_;
    AddressChoice* secondary_;
    QCheckBox* rateControl_;
};

}  // namespace velmar
