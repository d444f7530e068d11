#pragma once

#include <cstdint>
#include <vector>

#include "features/settings/view/SettingsPage.h"
#include "features/settings/view/ValueList.h"

namespace velmar {

// One drop-down list of a ChoicePage: its label, its entries and the field it edits.
struct ChoiceRow {
    const char* label;
    Setting setting;
    std::int32_t& (*field)(ConfigBlock&);
};

// A page of drop-down lists, each bound to one field: " Sample rate ", " AES ", " MADI ".
class ChoicePage final : public SettingsPage {
  public:
    explicit ChoicePage(std::vector<ChoiceRow> rows, QWidget* parent = nullptr);
    void Load(const ConfigBlock& config) override;
    std::optional<std::string> Store(ConfigBlock& config) override;

  private:
    std::vector<ChoiceRow> rows_;
    std::vector<ValueList*> lists_;
};

ChoicePage* MakeSampleRatePage();
ChoicePage* MakeAesPage();
ChoicePage* MakeMadiPage();

}  // namespace velmar
