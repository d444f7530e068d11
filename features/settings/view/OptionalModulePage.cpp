#include "features/settings/view/OptionalModulePage.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "features/settings/view/ValueList.h"

namespace velmar {

namespace {

constexpr std::int32_t kDisabled = 0;
constexpr std::int32_t kMadi = 1;
constexpr std::int32_t kHotlink = 2;

// The MADI fields of SFP port p (0, 1) live in MADI port p + 2 of the frame.
std::int32_t& MadiField(ConfigBlock& c, std::size_t port, std::size_t field) {
    MadiOutConfig& out = c.madiOut[port + 1];
    switch (field) {
        case 0:
            return c.madiIn[port + 1].mode;
        case 1:
            return out.legFr;
        case 2:
            return out.chnSt;
        case 3:
            return out.mode;
        default:
            return out.dsdMode;
    }
}

}  // namespace

OptionalModulePage::OptionalModulePage(QWidget* parent)
    : SettingsPage(parent),
      redundancy_(new ValueList(Setting::SfpRedundancy)),
      redundancyMode_(new ValueList(Setting::SfpRedundancyMode)) {
    auto* top = new QFormLayout;
    top->addRow("SFP redundancy", redundancy_);
    top->addRow("SFP redundancy mode", redundancyMode_);
    ports_[0] = MakePort(" SFP 1 ");
    ports_[1] = MakePort(" SFP 2 ");
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(ports_[0].box);
    boxes->addWidget(ports_[1].box);
    auto* column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addLayout(boxes);
    column->addStretch();
    connect(redundancy_, &QComboBox::activated, this, [this] { FollowRedundancy(); });
    for (std::size_t port = 0; port < ports_.size(); ++port)
        connect(ports_[port].type, &QComboBox::activated, this, [this, port] { ShowPort(port, false); });
    SetHardware(false, false);
}

OptionalModulePage::Port OptionalModulePage::MakePort(const char* title) {
    Port port;
    port.box = new QGroupBox(title);
    port.type = new ValueList(Setting::SfpInterface);
    port.inputLabel = new QLabel("Input sample rate");
    port.input = new ValueList;
    auto* form = new QFormLayout(port.box);
    form->addRow("Interface type", port.type);
    form->addRow(port.inputLabel, port.input);
    const char* labels[] = {"Output frame rate", "Output channel status", "Output channel count",
                            "Output DSD mode"};
    const Setting settings[] = {Setting::FrameRate, Setting::ChannelStatus, Setting::ChannelCount,
                                Setting::DsdMode};
    for (std::size_t i = 0; i < port.madi.size(); ++i) {
        port.madi[i] = new ValueList(settings[i]);
        form->addRow(labels[i], port.madi[i]);
    }
    return port;
}

void OptionalModulePage::SetHardware(bool present, bool newFirmware) {
    present_ = present;
    newFirmware_ = newFirmware;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->setEnabled(present);
}

// Shows one port for its type: from the page's values, or (after the operator chose another type)
// with each list at its first entry.
void OptionalModulePage::ShowPort(std::size_t index, bool fromShown) {
    Port& port = ports_[index];
    const std::int32_t type = port.type->Value().value_or(shown_.type[index]);
    const bool hotlink = type == kHotlink;
    port.inputLabel->setText(hotlink ? "Mode" : "Input sample rate");
    port.input->SetEntries(hotlink ? Setting::HotlinkMode : Setting::MadiInput);
    port.input->setEnabled(present_ && type != kDisabled);
    if (type != kDisabled) {
        if (fromShown)
            port.input->Select(hotlink ? shown_.hotlinkIn[index] : shown_.madi[index][0]);
        else
            port.input->setCurrentIndex(0);
    }
    for (std::size_t i = 0; i < port.madi.size(); ++i) {
        port.madi[i]->setEnabled(present_ && type == kMadi);
        if (type != kMadi)
            port.madi[i]->setCurrentIndex(-1);
        else if (fromShown)
            port.madi[i]->Select(shown_.madi[index][i + 1]);
        else
            port.madi[i]->setCurrentIndex(0);
    }
}

void OptionalModulePage::FollowRedundancy() {
    const bool enabled = present_ && newFirmware_ && redundancy_->Value() == 1;
    redundancyMode_->setEnabled(enabled);
    if (enabled)
        redundancyMode_->Select(shown_.redundancyMode);
    else
        redundancyMode_->setCurrentIndex(-1);
    ports_[0].box->setTitle(enabled ? " SFP " : " SFP 1 ");
    ports_[1].box->setVisible(!enabled);
    if (!enabled) {
        for (std::size_t port = 0; port < ports_.size(); ++port)
            ShowPort(port, true);
    }
}

void OptionalModulePage::Load(const ConfigBlock& config) {
    if (!present_)
        return;
    auto& c = const_cast<ConfigBlock&>(config);  // MadiField hands out writable fields; nothing is written
    shown_.redundancyEnable = config.redundancyEnable;
    shown_.redundancyMode = config.redundancyMode;
    for (std::size_t port = 0; port < ports_.size(); ++port) {
        shown_.type[port] = config.optMode[port].mode;
        shown_.hotlinkIn[port] = config.hlinkInMode[port].mode;
        for (std::size_t i = 0; i < shown_.madi[port].size(); ++i)
            shown_.madi[port][i] = MadiField(c, port, i);
        ports_[port].type->Select(shown_.type[port]);
        ShowPort(port, true);
    }
    redundancy_->setEnabled(newFirmware_);
    redundancy_->Select(config.redundancyEnable);
    if (!newFirmware_)
        redundancy_->setCurrentIndex(-1);
    FollowRedundancy();
}

void OptionalModulePage::StorePort(std::size_t index, ConfigBlock& config) const {
    const Port& port = ports_[index];
    const std::int32_t type = config.optMode[index].mode;
    if (type == kMadi) {
        if (const auto value = port.input->Value())
            MadiField(config, index, 0) = *value;
        for (std::size_t i = 0; i < port.madi.size(); ++i) {
            if (const auto value = port.madi[i]->Value())
                MadiField(config, index, i + 1) = *value;
        }
    } else if (type == kHotlink) {
        // The list shows the input mode only; the output mode stays as the frame has it.
        if (const auto value = port.input->Value())
            config.hlinkInMode[index].mode = *value;
    } else {
        for (std::size_t i = 0; i <= port.madi.size(); ++i)
            MadiField(config, index, i) = 0;
        config.hlinkInMode[index].mode = 0;
        config.hlinkOutMode[index].mode = 0;
    }
}

std::optional<std::string> OptionalModulePage::Store(ConfigBlock& config) {
    if (!present_)
        return std::nullopt;
    for (std::size_t port = 0; port < ports_.size(); ++port) {
        if (const auto type = ports_[port].type->Value())
            config.optMode[port].mode = *type;
    }
    if (newFirmware_) {
        if (const auto enable = redundancy_->Value())
            config.redundancyEnable = *enable;
        if (config.redundancyEnable == 1) {
            if (const auto mode = redundancyMode_->Value())
                config.redundancyMode = *mode;
        }
    } else {
        // Firmware without redundancy: the module runs its ports separately.
        config.redundancyEnable = 0;
        config.redundancyMode = 0;
    }
    for (std::size_t port = 0; port < ports_.size(); ++port)
        StorePort(port, config);
    return std::nullopt;
}

}  // namespace velmar
