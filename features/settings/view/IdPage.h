#pragma once

#include "features/settings/view/SettingsPage.h"

class QLineEdit;

namespace velmar {
class ProblemNote;
}

namespace velmar {

// " ID ": the frame's number and name.
class IdPage final : public SettingsPage {
  public:
    explicit IdPage(QWidget* parent = nullptr);
    void Load(const ConfigBlock& config) override;
    std::optional<std::string> Store(ConfigBlock& config) override;

  private:
    QLineEdit* id_;
    QLineEdit* name_;
    ProblemNote* note_;
};

}  // namespace velmar
