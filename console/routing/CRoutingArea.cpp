#include "console/routing/CRoutingArea.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace velmar {

CRoutingArea::CRoutingArea(RoutingContext context, QWidget* parent)
    : QWidget(parent),
      context_(context),
      status_(new CCrosspointStatusBox(context, this)),
      control_(new CCrosspointControlBox(context, this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(status_, 1);
    layout->addWidget(control_, 1);
    ConnectionChanged(false);
}

void CRoutingArea::RefreshRow(std::int32_t output) {
    status_->Model().Refresh(output, CrosspointList::kOutputColumn);
}

void CRoutingArea::RebuildList() {
    status_->Model().Refresh(CrosspointList::kRebuild, CrosspointList::kOutputColumn);
}

void CRoutingArea::RebuildTypeSelectors() {
    control_->RebuildTypeSelectors();
}

void CRoutingArea::RefillIpChannels(bool outputSide) {
    control_->RefillIpChannels(outputSide ? RouteSide::Output : RouteSide::Input);
}

void CRoutingArea::ClearList() {
    status_->Model().Clear();
}

void CRoutingArea::ConnectionChanged(bool connected) {
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
