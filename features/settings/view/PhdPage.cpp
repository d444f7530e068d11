#include "features/settings/view/PhdPage.h"

#include <QFormLayout>

#include "features/settings/view/ValueList.h"

namespace velmar {

PhdPage::PhdPage(QWidget* parent)
    : SettingsPage(parent),
      portConfig_(new ValueList(Setting::PhdPortConfig)),
      emulation1_(new ValueList),
      emulation2_(new ValueList(Setting::PhdEmulation)) {
    auto* form = new QFormLayout(this);
    form->addRow("Port configuration", portConfig_);
    form->addRow("Emulation mode port 1", emulation1_);
    form->addRow("Emulation mode port 2", emulation2_);
    connect(portConfig_, &QComboBox::activated, this, [this] {
        if (const auto mode = emulation1_->Value())
            shown_.emuMode1 = *mode;
        FollowPortConfiguration();
    });
}

void PhdPage::FollowPortConfiguration() {
    const bool twoPrimaries = portConfig_->Value() == 1;
    emulation1_->SetEntries(twoPrimaries ? Setting::PhdEmulation : Setting::PhdExpansionEmulation);
    emulation1_->Select(shown_.emuMode1);
    emulation2_->setEnabled(twoPrimaries);
    if (twoPrimaries)
        emulation2_->Select(shown_.emuMode2);
    else
        emulation2_->setCurrentIndex(-1);
}

void PhdPage::Load(const ConfigBlock& config) {
    shown_ = config.phd;
    portConfig_->Select(config.phd.portCfg);
    FollowPortConfiguration();
}

std::optional<std::string> PhdPage::Store(ConfigBlock& config) {
    // Port 2 has no emulation mode of its own unless both ports are primaries.
    PhdConfig taken;
    taken.portCfg = portConfig_->Value().value_or(config.phd.portCfg);
    taken.emuMode1 = emulation1_->Value().value_or(config.phd.emuMode1);
    if (taken.portCfg == 1)
        taken.emuMode2 = emulation2_->Value().value_or(config.phd.emuMode2);
    config.phd = taken;
    return std::nullopt;
}

}  // namespace velmar
