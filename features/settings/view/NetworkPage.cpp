#include "features/settings/view/NetworkPage.h"

#include <QVBoxLayout>

#include "features/settings/view/AddressChoice.h"

namespace velmar {

NetworkPage::NetworkPage(QWidget* parent) : SettingsPage(parent), choice_(new AddressChoice(false)) {
    auto* column = new QVBoxLayout(this);
    column->addWidget(choice_);
    column->addStretch();
}

void NetworkPage::Load(const ConfigBlock& config) {
    choice_->Load(config.lan.dhcp,
                  {config.lan.ip.View(), config.lan.subnet.View(), config.lan.gateway.View()},
                  config.lan.mac.View());
}

std::optional<std::string> NetworkPage::Store(ConfigBlock& config) {
    std::string problem;
    const auto taken = choice_->Take("the frame", problem);
    if (!taken)
        return problem;
    StoreAddresses(*taken, config.lan);
    return std::nullopt;
}

}  // namespace velmar
