#pragma once

#include "features/settings/view/SettingsPage.h"

class QCheckBox;

namespace velmar {

class EditableGrid;
class ProblemNote;

// " Synchronization ": the priority of each external sync source, edited in place, and the sync
// input termination.
class SyncPriorityPage final : public SettingsPage {
  public:
    explicit SyncPriorityPage(QWidget* parent = nullptr);
    void Load(const ConfigBlock& config) override;
    std::optional<std::string> Store(ConfigBlock& config) override;
    EditableGrid& Grid() { return *grid_; }

  private:
    // Marks every row whose text is not a priority and names the first in the note; its reason.
    std::optional<std::string> CheckRows();

    EditableGrid* grid_;
    ProblemNote* note_;
    bool checking_ = false;
    QCheckBox* termination_;
};

}  // namespace velmar
