#pragma once

#include "features/settings/view/SettingsPage.h"

namespace velmar {

class ValueList;

// " PHD ": the port configuration and the emulation modes of the two ports.
class PhdPage final : public SettingsPage {
  public:
    explicit PhdPage(QWidget* parent = nullptr);
    void Load(const ConfigBlock& config) override;
    std::optional<std::string> Store(ConfigBlock& config) override;

  private:
    void FollowPortConfiguration();

    ValueList* portConfig_;
    ValueList* emulation1_;
    ValueList* emulation2_;
    PhdConfig shown_;  // the values the lists were loaded with, kept selected across refills
};

}  // namespace velmar
