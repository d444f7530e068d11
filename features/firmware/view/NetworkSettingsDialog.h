#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QRadioButton>
#include <string>

#include "device/ui/Prompter.h"
#include "features/firmware/core/NetworkChoice.h"
#include "widgets/CheckableGroupBox.h"
#include "widgets/IpAddressEdit.h"

namespace velmar {

// "Network settings": a frame's address settings, automatic or fixed with address, subnet mask
// and default gateway. OK refuses, with a message and the dialog left open, a fixed choice that
// would make the frame unreachable (see NetworkChoiceProblem); the accepted choice is normalised.
class NetworkSettingsDialog final : public QDialog {
    Q_OBJECT

  public:
    // `current` fills the fields (its texts as the frame reported them); `mac` may be empty.
    NetworkSettingsDialog(const std::string& deviceName, const NetworkChoice& current, const std::string& mac,
                          Prompter& prompter, QWidget* parent = nullptr);

    // What OK accepted.
    const NetworkChoice& Choice() const { return choice_; }

    QRadioButton& AutomaticRadio() { return *automatic_; }
    CheckableGroupBox& FixedBox() { return *fixed_; }
    IpAddressEdit& AddressField() { return *address_; }
    IpAddressEdit& MaskField() { return *mask_; }
    IpAddressEdit& GatewayField() { return *gateway_; }

  public slots:
    void accept() override;

  private:
    NetworkChoice Entered() const;

    Prompter& prompter_;
    NetworkChoice choice_;
    QRadioButton* automatic_ = nullptr;
    CheckableGroupBox* fixed_ = nullptr;
    IpAddressEdit* address_ = nullptr;
    IpAddressEdit* mask_ = nullptr;
    IpAddressEdit* gateway_ = nullptr;
};

}  // namespace velmar
