#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>

#include "device/ActionOutcomes.h"
#include "device/EventHub.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace velmar {

class ChannelFindBox;
class EditableGrid;
class Prompter;
class Session;

// The input and output label of every channel. A label is edited in its cell or in the two
// fields below the list and applied; clearing and default labels cover every listed channel.
// The list shows what the frame reports, never what was only sent.
class ChannelLabelsDialog final : public QDialog {
  public:
    ChannelLabelsDialog(Session& session, Prompter& prompter, QWidget* parent);
    ~ChannelLabelsDialog() override;

    // The llabel runs that fill the list; sent before the dialog opens.
    static void RequestLabels(Session& session);

    void Apply();
    void ClearAll();
    void DefaultAll();
    // Puts the labels of the row's channel into the edit fields.
    void ShowRow(int row);

    EditableGrid* List() const { return list_; }
    ChannelFindBox* FindBox() const { return find_; }
    QLineEdit* InputField() const { return input_; }
    QLineEdit* OutputField() const { return output_; }
    QLabel* Notice() const { return notice_; }
    QPushButton* DefaultAllButton() const { return defaultAll_; }

  private:
    void Fill();
    void ShowLabels(std::int32_t first, std::int32_t count);
    // Sends the label of one channel when it differs from the frame's; the reason when refused.
    void Send(std::int32_t direction, std::int32_t channel, const QString& text);
    std::int32_t FirstChannel() const;
    // Runs `send` as one action whose outcome the notice line and the event log tell.
    void Track(const std::function<void()>& send);

    Session& session_;
    Prompter& prompter_;
    EditableGrid* list_;
    ChannelFindBox* find_;
    QLineEdit* input_;
    QLineEdit* output_;
    QLabel* notice_;
    QPushButton* defaultAll_;
    Subscriptions subscriptions_;
    ActionOutcomes outcomes_;
};

}  // namespace velmar
