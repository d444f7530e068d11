#include "console/AddDeviceDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>

namespace velmar {

AddDeviceDialog::AddDeviceDialog(QWidget* parent) : QDialog(parent), address_(new IpAddressEdit(this)) {
    setWindowTitle(QStringLiteral("Add device to selection list"));
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("IP address"), address_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

}  // namespace velmar
