#pragma once

#include <QDialog>
#include <cstdint>
#include <vector>

#include "device/EventHub.h"

class QPushButton;
class QTableView;

namespace velmar {

class ChannelFindBox;
class ChannelTableModel;
class Prompter;
class Session;

// The gain of every channel, input and output, as the frame reports it; with the zel option
// the gains of all or of the selected channels can be cleared.
class GainDialog final : public QDialog {
  public:
    GainDialog(Session& session, Prompter& prompter, QWidget* parent);
    ~GainDialog() override;

    // The lgain requests that fill the list; sent before the dialog opens.
    static void RequestGains(Session& session);

    void ClearAll();
    void ClearSelected();
    // The popup menu's entries for the current selection (none without the zel option).
    bool OffersClearMenu() const;

    QTableView* List() const { return list_; }
    ChannelTableModel* Model() const { return model_; }
    ChannelFindBox* FindBox() const { return find_; }
    QPushButton* ClearAllButton() const { return clearAll_; }

  private:
    void Clear(const std::vector<std::int32_t>& channels);

    Session& session_;
    Prompter& prompter_;
    bool service_;
    ChannelTableModel* model_;
    QTableView* list_;
    ChannelFindBox* find_;
    QPushButton* clearAll_;
    Subscriptions subscriptions_;
};

}  // namespace velmar
