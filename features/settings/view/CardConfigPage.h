#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "device/DeviceState.h"
#include "device/EventHub.h"
#include "features/settings/core/CardRows.h"
#include "features/settings/view/SettingsPage.h"

namespace velmar {

class EditableGrid;
class Session;

// The settings editor's "Card configuration" page: the eight card slots, and the parameters of
// the chosen card in a grid edited through drop-down lists. It works on its own copy of the
// cards and sends nothing; "Save changes" takes the cards back with StoreInto.
class CardConfigPage final : public SettingsPage {
    Q_OBJECT

  public:
    // `cardSlots`: the frame has card slots (a K5A or LV16).
    explicit CardConfigPage(bool cardSlots, QWidget* parent = nullptr);

    void Load(const ConfigBlock& config) override { LoadControls(config, cardSlots_); }
    std::optional<std::string> Store(ConfigBlock& config) override {
        StoreControls();
        StoreInto(config);
        return std::nullopt;
    }

    // Takes the boards of the card slots and the cards from the editor's working copy, fills the
    // card list (empty and disabled without card slots) and leaves the grid empty and disabled.
    void LoadControls(const ConfigBlock& config, bool cardSlots);
    // Ends an open edit, keeping what was chosen.
    void StoreControls();
    // Writes the page's cards into the working copy.
    void StoreInto(ConfigBlock& config) const;

    // Follows the frame's boards while the editor is open: a card that leaves its slot, or is
    // replaced by another, is no longer edited here (and nothing is sent for it).
    void FollowFrame(Session& session);
    void FrameBoardsChanged(const ConfigBlock& frame);

    // Selects the card in `slot` (1..8) as a click on its row does.
    void SelectSlot(std::int32_t slot);

    EditableGrid& CardList() { return *cardList_; }
    EditableGrid& Grid() { return *grid_; }
    // The grid row showing `name` ("3:Phantom power"), or -1.
    int GridRow(std::string_view name) const;

  private:
    void OnCardPressed(int row);
    void ShowSlotRow(std::int32_t slot);
    CardType KindOf(std::int32_t slot) const;
    void FillGrid();
    void RefreshValues();
    bool BeginValueEdit(QWidget& editor, int row);
    bool EndValueEdit(QWidget& editor, int row, bool commit, QString& text);
    CardRecord* SelectedCard();

    EditableGrid* cardList_;
    EditableGrid* grid_;
    std::array<BoardConfig, kCardSlots> boards_{};
    std::array<CardRecord, kCardSlots> cards_{};
    bool cardSlots_ = false;
    std::int32_t selected_ = -1;  // slot 1..8
    CardType kind_ = CardType::None;
    std::vector<CardRow> rows_;
    Subscriptions subscriptions_;
};

}  // namespace velmar
