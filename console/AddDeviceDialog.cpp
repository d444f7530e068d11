#include "console/AddDeviceDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>

#include "widgets/ProblemNote.h"
#include "widgets/TitleFit.h"

namespace velmar {

AddDeviceDialog::AddDeviceDialog(QWidget* parent) : QDialog(parent), address_(new IpAddressEdit(this)) {
    setWindowTitle(QStringLiteral("Add device to selection list"));
    TitleFit::Install(*this);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("IP address"), address_);
    auto* note = new ProblemNote(this);
    note->Follow(address_, QStringLiteral("IP address"));
    form->addRow(note);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    // OK only for an address a frame can have: nothing else is added, nothing is guessed at.
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    const auto allowOk = [this, ok] { ok->setEnabled(!AddressText().isEmpty()); };
    connect(address_, &QLineEdit::textChanged, this, allowOk);
    allowOk();
}

}  // namespace velmar
