#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "device/ActionOutcomes.h"
#include "device/EventHub.h"
#include "features/networkaudio/core/FlowTables.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace velmar {

class IpAddressEdit;
class ProblemNote;
class Prompter;
class Session;

// Creates and deletes the frame's Tx and Rx flows by hand and switches unicast clocking. The
// lists show what the frame reports while the dialog is open.
class ManualIpRoutingDialog final : public QDialog {
  public:
    // `listedAddresses` gives the addresses of the frames in the device list (a Tx flow to any
    // of them would loop back into the rack).
    ManualIpRoutingDialog(Session& session, Prompter& prompter,
                          std::function<std::vector<std::string>()> listedAddresses, QWidget* parent);
    ~ManualIpRoutingDialog() override;

    void Refresh();
    void CreateTx();
    void CreateRx();
    void DeleteFlow();
    void DeleteAllFlows();
    // Ties the slots of the flow selected in the Tx (or Rx) list to their IP channels again, by
    // the rule a new flow's slots follow.
    void SetUnicastClock(bool enabled);

    QLineEdit* TxIdField() const { return txId_; }
    QLineEdit* TxSlotsField() const { return txSlots_; }
    QLineEdit* TxPortField() const { return txPort_; }
    IpAddressEdit* TxAddressField() const { return txAddress_; }
    QLineEdit* RxIdField() const { return rxId_; }
    QLineEdit* RxSlotsField() const { return rxSlots_; }
    QLineEdit* RxPortField() const { return rxPort_; }
    QLineEdit* RxLatencyField() const { return rxLatency_; }
    QCheckBox* UnicastBox() const { return unicast_; }
    QLineEdit* StatusField() const { return status_; }
    QTreeWidget* TxList() const { return txList_; }
    QTreeWidget* RxList() const { return rxList_; }
    QLabel* Note() const { return note_; }
    ProblemNote* TxAddressNote() const { return txNote_; }
    QPushButton* SlotAssignButton(bool transmit) const { return transmit ? txSlotAssign_ : rxSlotAssign_; }

  private:
    struct Fields {
        TxFlowRequest tx;
        RxFlowRequest rx;
    };
    std::optional<Fields> ReadFields();
    void Subscribe();
    // Runs `send` as one action: the event log tells its outcome, the note line what went wrong.
    void Track(const std::function<void()>& send);
    void OnFlow(const FlowReported& report);
    void OnSlot(const FlowSlotReported& report);
    void DeleteOne(bool transmit, std::int32_t flow);
    // The flow selected in a list whose slots can be assigned, or 0.
    // A flow the rules refuse: said in the note, or asked about as the frame's console does.
    void Refuse(bool transmit, const FlowProblem& problem);
    QTreeWidget* List(bool transmit) const { return transmit ? txList_ : rxList_; }

    Session& session_;
    Prompter& prompter_;
    std::function<std::vector<std::string>()> listedAddresses_;
    FlowTables tables_;
    QLineEdit* txId_;
    QLineEdit* txSlots_;
    QLineEdit* txPort_;
    IpAddressEdit* txAddress_;
    QLineEdit* rxId_;
    QLineEdit* rxSlots_;
    QLineEdit* rxPort_;
    QLineEdit* rxLatency_;
    QCheckBox* unicast_;
    QLineEdit* status_;
    QTreeWidget* txList_;
    QTreeWidget* rxList_;
    QLabel* note_;
    ProblemNote* txNote_;
    QPushButton* txSlotAssign_;
    QPushButton* rxSlotAssign_;
    Subscriptions subscriptions_;
    ActionOutcomes outcomes_;
};

}  // namespace velmar
