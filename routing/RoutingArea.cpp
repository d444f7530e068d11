#include "routing/RoutingArea.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "device/ChannelMap.h"
#include "device/features/channels/ChannelToolsEvents.h"
#include "device/features/identity/IdentityEvents.h"
#include "device/features/interfaces/InterfaceEvents.h"
#include "device/features/netaudio/NetworkAudioEvents.h"
#include "device/features/routing/RoutingEvents.h"

namespace velmar {

namespace {

QString InputText(std::int32_t input) {
    return input == 0 ? QStringLiteral("nothing") : QString::fromStdString(ChannelName(input));
}

}  // namespace

RoutingArea::RoutingArea(RoutingContext context, QWidget* parent)
    : QWidget(parent),
      context_(context),
      status_(new CrosspointStatusBox(context, this)),
      control_(new CrosspointControlBox(context, this)),
      notice_(new QLabel(this)) {
    notice_->setWordWrap(true);
    notice_->setStyleSheet(QStringLiteral("color: #b00000;"));
    notice_->hide();
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(status_, 1);
    boxes->addWidget(control_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(boxes, 1);
    layout->addWidget(notice_);
    Subscribe();
    ConnectionChanged(context_.Connected());
}

void RoutingArea::Subscribe() {
    EventHub& events = context_.session.Events();
    CrosspointListModel& model = status_->Model();
    subscriptions_.push_back(events.Subscribe<CrosspointChanged>([&model](const CrosspointChanged& e) {
        // A question's answer changes nothing the operator did not already see.
        if (e.origin != CrosspointOrigin::GetReply)
            model.Refresh(e.output, CrosspointList::kOutputColumn);
    }));
    subscriptions_.push_back(
        events.Subscribe<CrosspointRefused>([this](const CrosspointRefused& e) { ShowRefusal(e); }));
    subscriptions_.push_back(events.Subscribe<MatrixRead>([&model](const MatrixRead&) {
        model.Refresh(CrosspointList::kRebuild, CrosspointList::kOutputColumn);
    }));
    subscriptions_.push_back(events.Subscribe<ChannelLayoutChanged>(
        [this](const ChannelLayoutChanged&) { control_->RebuildTypeSelectors(); }));
    subscriptions_.push_back(events.Subscribe<CapabilitiesChanged>(
        [this](const CapabilitiesChanged&) { control_->RebuildTypeSelectors(); }));
    subscriptions_.push_back(events.Subscribe<IpChannelsChanged>([this](const IpChannelsChanged& e) {
        control_->RefillIpChannels(e.transmit ? RouteSide::Output : RouteSide::Input);
    }));
    subscriptions_.push_back(events.Subscribe<LabelsChanged>([this, &model](const LabelsChanged&) {
        control_->Relabel();
        model.Relabel();
    }));
    subscriptions_.push_back(events.Subscribe<velmar::ConnectionChanged>(
        [this](const velmar::ConnectionChanged& e) { ConnectionChanged(e.connected); }));
}

void RoutingArea::ShowRefusal(const CrosspointRefused& refusal) {
    notice_->setText(
        QStringLiteral("The frame refused to feed %1 from %2 (status %3); it still feeds it from %4.")
            .arg(QString::fromStdString(ChannelName(refusal.output)), InputText(refusal.input))
            .arg(refusal.status)
            .arg(InputText(refusal.kept)));
    notice_->show();
}

void RoutingArea::ConnectionChanged(bool connected) {
    status_->Model().Clear();
    notice_->clear();
    notice_->hide();
    if (!connected)
        control_->ClearSelections();
    const ConnectionState& connection = context_.session.Connection();
    const bool routable =
        connected && connection.deviceMode == DeviceMode::Application && connection.capabilities.matrix;
    for (QWidget* control : std::initializer_list<QWidget*>{
             control_->TypeSelector(RouteSide::Input), control_->TypeSelector(RouteSide::Output),
             control_->ChannelList(RouteSide::Input), control_->ChannelList(RouteSide::Output),
             control_->ConnectButton(), control_->DisconnectButton(), control_->MonoButton(),
             control_->StereoButton(), status_->LoadButton(), status_->SaveButton()}) {
        control->setEnabled(routable);
    }
}

}  // namespace velmar
