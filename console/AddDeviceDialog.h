#pragma once

#include <QDialog>

#include "widgets/IpAddressEdit.h"

namespace velmar {

// "Add device to selection list": asks for the address of a frame that discovery does not
// reach.
class AddDeviceDialog final : public QDialog {
    Q_OBJECT

  public:
    explicit AddDeviceDialog(QWidget* parent = nullptr);

    IpAddressEdit* AddressField() const { return address_; }
    // The dotted address; empty for 0.0.0.0, 255.255.255.255 or an incomplete entry.
    QString AddressText() const { return address_->UsableText(); }

  private:
    IpAddressEdit* address_;
};

}  // namespace velmar
