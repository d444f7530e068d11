#include "routing/RoutingArea.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace velmar {

RoutingArea::RoutingArea(RoutingContext context, QWidget* parent)
    : QWidget(parent),
      context_(context),
      status_(new CrosspointStatusBox(context, this)),
      control_(new CrosspointControlBox(context, this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(status_, 1);
    layout->addWidget(control_, 1);
    ConnectionChanged(false);
}

void RoutingArea::RefreshRow(std::int32_t output) {
    status_->Model().Refresh(output, CrosspointList::kOutputColumn);
}

void RoutingArea::RebuildList() {
    status_->Model().Refresh(CrosspointList::kRebuild, CrosspointList::kOutputColumn);
}

void RoutingArea::RebuildTypeSelectors() {
    control_->RebuildTypeSelectors();
}

void RoutingArea::RefillIpChannels(bool outputSide) {
    control_->RefillIpChannels(outputSide ? RouteSide::Output : RouteSide::Input);
}

void RoutingArea::ClearList() {
    status_->Model().Clear();
}

void RoutingArea::ConnectionChanged(bool connected) {
    status_->Model().Clear();
    if (!connected)
        control_->ClearSelections();
    const ConnectionState& connection = context_.session.Connection();
    const bool routable =
        connected && connection.deviceMode == DeviceMode::Application && connection.modelClass != 2;
    for (QWidget* control : std::initializer_list<QWidget*>{
             control_->TypeSelector(RouteSide::Input), control_->TypeSelector(RouteSide::Output),
             control_->ChannelList(RouteSide::Input), control_->ChannelList(RouteSide::Output),
             control_->ConnectButton(), control_->DisconnectButton(), control_->MonoButton(),
             control_->StereoButton(), status_->LoadButton(), status_->SaveButton()}) {
        control->setEnabled(routable);
    }
}

}  // namespace velmar
