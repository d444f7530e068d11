#include "features/ppm/view/PpmSettingsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "device/ui/Prompter.h"
#include "protocol/Ipv4Address.h"
#include "tools/ToolFields.h"
#include "widgets/IpAddressEdit.h"
#include "widgets/ProblemNote.h"

namespace velmar {

PpmSettingsDialog::PpmSettingsDialog(const PpmStreamSettings& defaults, Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      prompter_(prompter),
      values_(defaults),
      id_(new QLineEdit(QString::number(defaults.id))),
      address_(new IpAddressEdit),
      port_(new QLineEdit(QString::number(defaults.port))),
      channels_(new QLineEdit(QString::number(defaults.channels))),
      rate_(new QLineEdit(QString::number(defaults.rate))),
      phase_(new QCheckBox(QStringLiteral(" Phase"))) {
    setWindowTitle(QStringLiteral("PPM stream settings"));
    address_->SetAddress(defaults.address);
    phase_->setChecked(defaults.phase);
    auto* form = new QFormLayout;
    // The label is also the field's name in every message about it.
    const auto add = [form](const QString& name, QWidget* field) {
        field->setAccessibleName(name);
        form->addRow(name, field);
    };
    add(QStringLiteral("Stream ID"), id_);
    add(QStringLiteral("IP address"), address_);
    add(QStringLiteral("Port"), port_);
    add(QStringLiteral("Channel count"), channels_);
    add(QStringLiteral("Rate (ms)"), rate_);
    form->addRow(QString(), phase_);
    auto* note = new ProblemNote;
    note->Follow(address_, QStringLiteral("IP address"));
    form->addRow(note);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &PpmSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    connect(note, &ProblemNote::Changed, this, [ok, note] { ok->setEnabled(note->AllGood()); });
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

std::optional<PpmStreamSettings> PpmSettingsDialog::ReadFields() {
    FieldReader reader(prompter_);
    PpmStreamSettings read;
    std::int32_t id = 0;
    if (!reader.Read(id_, 1, 65535, id) || !reader.Read(port_, 1000, 65535, read.port) ||
        !reader.Read(channels_, 2, 255, read.channels) || !reader.Read(rate_, 10, 60000, read.rate)) {
        return std::nullopt;
    }
    read.id = static_cast<std::uint32_t>(id);
    // A text that is not an address is refused, never sent as some other address.
    const Ipv4Reading address = ReadIpv4(address_->text().toStdString());
    if (!address.address) {
        prompter_.Warning("IP address: " + address.problem);
        address_->setFocus();
        return std::nullopt;
    }
    read.address = *address.address;
    read.phase = phase_->isChecked();
    return read;
}

void PpmSettingsDialog::accept() {
    if (const auto read = ReadFields()) {
        values_ = *read;
        QDialog::accept();
    }
}

}  // namespace velmar
