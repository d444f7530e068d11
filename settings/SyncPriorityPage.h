#pragma once

#include "settings/SettingsPage.h"

class QCheckBox;

namespace velmar {

class EditableGrid;

// " Synchronization ": the priority of each external sync source, edited in place, and the sync
// input termination.
class SyncPriorityPage final : public SettingsPage {
  public:
    explicit SyncPriorityPage(QWidget* parent = nullptr);
    void Load(const ConfigBlock& config) override;
    std::optional<std::string> Store(ConfigBlock& config) override;
    EditableGrid& Grid() { return *grid_; }

  private:
    EditableGrid* grid_;
    QCheckBox* termination_;
};

}  // namespace velmar
