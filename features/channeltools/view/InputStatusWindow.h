#pragma once

#include <QDialog>

#include "device/EventHub.h"
#include "features/channeltools/core/InputStatusRows.h"

class QButtonGroup;
class QTableWidget;

namespace velmar {

class Session;

// The signal status of the main-board inputs and of the inputs of one kind of card. It is made
// once and lives on: "Close" hides it, it keeps following the frame's reports while hidden, and
// it is filled again from the frame image whenever it is shown and on every connect, so it never
// shows an earlier frame's values.
class InputStatusWindow final : public QDialog {
  public:
    InputStatusWindow(Session& session, QWidget* parent);
    ~InputStatusWindow() override;

    void SelectCardType(InputCardType type);
    InputCardType CardTypeShown() const { return cardType_; }

    QTableWidget* MainList() const { return main_; }
    QTableWidget* CardList() const { return cards_; }
    QButtonGroup* CardTypes() const { return types_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Refill();
    void RefillMain();
    void RefillCards();

    Session& session_;
    QTableWidget* main_;
    QTableWidget* cards_;
    QButtonGroup* types_;
    InputCardType cardType_ = InputCardType::Sdi;
    Subscriptions subscriptions_;
};

}  // namespace velmar
