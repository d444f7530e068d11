#include "features/settings/view/DantePage.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "features/settings/view/AddressChoice.h"
#include "features/settings/view/PageFields.h"
#include "features/settings/view/ValueList.h"

namespace velmar {

namespace {

std::vector<std::string_view> Addresses(const DanteLanSettings& lan) {
    return {lan.ip.View(), lan.subnet.View(), lan.gateway.View(), lan.dns.View()};
}

}  // namespace

DantePage::DantePage(QWidget* parent)
    : SettingsPage(parent),
      name_(new QLineEdit),
      note_(new ProblemNote),
      primary_(new AddressChoice(true)),
      redundancy_(new ValueList(Setting::DanteRedundancy)),
      secondaryBox_(new QGroupBox(" Secondary interface ")),
      secondary_(new AddressChoice(true)),
      rateControl_(new QCheckBox(" Enable sample rate control from device")) {
    name_->setMaxLength(31);
    auto* top = new QFormLayout;
    top->addRow("Brooklyn II name", name_);
    top->addRow(note_);
    top->addRow("Redundancy mode", redundancy_);

    auto* primaryBox = new QGroupBox(" Primary interface ");
    (new QVBoxLayout(primaryBox))->addWidget(primary_);
    (new QVBoxLayout(secondaryBox_))->addWidget(secondary_);
    auto* interfaces = new QHBoxLayout;
    interfaces->addWidget(primaryBox);
    interfaces->addWidget(secondaryBox_);

    auto* rateBox = new QGroupBox(" Sample rate ");
    (new QVBoxLayout(rateBox))->addWidget(rateControl_);

    auto* column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addLayout(interfaces);
    column->addWidget(rateBox);
    column->addStretch();
    connect(redundancy_, &QComboBox::activated, this, [this] { FollowRedundancy(); });
    SetPresent(false);
}

void DantePage::SetPresent(bool present) {
    present_ = present;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->setEnabled(present);
}

void DantePage::FollowRedundancy() {
    secondaryBox_->setEnabled(present_ && redundancy_->Value() == 1);
}

void DantePage::Load(const ConfigBlock& config) {
    if (!present_)
        return;
    name_->setText(FrameTextToQString(config.danteName.View()));
    primary_->Load(config.danteLan.dhcp, Addresses(config.danteLan), config.danteLan.mac.View());
    redundancy_->Select(config.danteSwMode);
    secondary_->Load(config.danteSecLan.dhcp, Addresses(config.danteSecLan), config.danteSecLan.mac.View());
    rateControl_->setChecked(config.danteSRate != 0);
    FollowRedundancy();
}

std::optional<std::string> DantePage::Store(ConfigBlock& config) {
    if (!present_)
        return std::nullopt;
    std::string problem;
    const auto primary = primary_->Take("the Dante primary interface", problem);
    if (!primary)
        return problem;
    const bool redundant = redundancy_->Value().value_or(config.danteSwMode) == 1;
    std::optional<AddressChoice::Taken> secondary;
    // The secondary interface is only in use, and only checked, in redundant mode.
    if (redundant) {
        secondary = secondary_->Take("the Dante secondary interface", problem);
        if (!secondary)
            return problem;
    }
    if (auto refused = TakeText(*name_, "A Dante device name", config.danteName, *note_))
        return refused;
    StoreAddresses(*primary, config.danteLan);
    if (secondary)
        StoreAddresses(*secondary, config.danteSecLan);
    if (const auto mode = redundancy_->Value())
        config.danteSwMode = *mode;
    config.danteSRate = rateControl_->isChecked() ? 1 : 0;
    return std::nullopt;
}

}  // namespace velmar
