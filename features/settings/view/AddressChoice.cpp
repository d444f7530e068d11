#include "features/settings/view/AddressChoice.h"

#include <QFormLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "features/settings/core/AddressRules.h"
#include "platform/qt/FrameText.h"
#include "protocol/Ipv4Address.h"
#include "widgets/CheckableGroupBox.h"
#include "widgets/IpAddressEdit.h"
#include "widgets/ProblemNote.h"

namespace velmar {

AddressChoice::AddressChoice(bool withDns, QWidget* parent)
    : QWidget(parent),
      automatic_(new QRadioButton("Obtain an IP address automatically")),
      fixed_(new CheckableGroupBox("Use the following IP address")),
      mac_(new QLabel) {
    auto* form = new QFormLayout(fixed_);
    form->setContentsMargins(12, 24, 12, 8);
    std::vector<const char*> labels{"IP address", "Subnet mask", "Default gateway"};
    if (withDns)
        labels.push_back("DNS server");
    auto* note = new ProblemNote;
    for (const char* label : labels) {
        auto* field = new IpAddressEdit;
        fields_.push_back(field);
        form->addRow(label, field);
        note->Follow(field, label);
    }
    form->addRow(note);
    fixed_->PairWith(automatic_);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(automatic_);
    column->addWidget(fixed_);
    column->addWidget(mac_);
}

void AddressChoice::Load(std::int32_t dhcp, const std::vector<std::string_view>& addresses,
                         std::string_view mac) {
    fixed_->SetChecked(dhcp == 0);
    for (std::size_t i = 0; i < fields_.size() && i < addresses.size(); ++i)
        fields_[i]->setText(FrameTextToQString(addresses[i]));
    mac_->setText(mac.empty() ? QString() : "MAC address : " + FrameTextToQString(mac));
}

std::optional<AddressChoice::Taken> AddressChoice::Take(std::string_view where, std::string& problem) const {
    Taken taken;
    if (!fixed_->IsChecked()) {
        taken.dhcp = 1;
        return taken;
    }
    for (const IpAddressEdit* field : fields_) {
        const std::string text = FrameTextFromQString(field->text().trimmed()).bytes;
        // An empty field reads as no address; a partial one is not an address at all.
        const Ipv4Reading reading = text.empty() ? Ipv4Reading{0, {}} : ReadIpv4(text);
        if (!reading.address) {
            problem = "\"" + text + "\" is not an address: " + reading.problem;
            return std::nullopt;
        }
        taken.addresses.push_back(Ipv4Text(*reading.address));
    }
    if (auto refused =
            FixedAddressProblem(taken.addresses[0], taken.addresses[1], taken.addresses[2], where)) {
        problem = *refused;
        return std::nullopt;
    }
    return taken;
}

}  // namespace velmar
