#include "features/routing/view/CrosspointControlBox.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "features/networkaudio/core/NetworkAudioUnit.h"
#include "features/routing/core/ChannelLabel.h"
#include "features/routing/core/RouteChanges.h"
#include "features/routing/core/RoutingActions.h"

namespace velmar {
namespace {

constexpr int kChannelRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1;

QListWidget* MakeChannelList() {
    auto* list = new QListWidget;
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setUniformItemSizes(true);
    return list;
}

}  // namespace

CrosspointControlBox::CrosspointControlBox(RoutingContext context, QWidget* parent)
    : QGroupBox(QStringLiteral(" Crosspoint control based on type "), parent),
      context_(context),
      inputType_(new QComboBox),
      outputType_(new QComboBox),
      inputs_(MakeChannelList()),
      outputs_(MakeChannelList()),
      mono_(new QRadioButton(QStringLiteral(" Mono"))),
      stereo_(new QRadioButton(QStringLiteral(" Stereo"))),
      connectButton_(new QPushButton(QStringLiteral("&Connect"))),
      disconnectButton_(new QPushButton(QStringLiteral("&Disconnect"))) {
    mono_->setChecked(true);
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Type")), 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Type")), 0, 2);
    layout->addWidget(inputType_, 1, 0);
    layout->addWidget(outputType_, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("Input (s)")), 2, 0);
    layout->addWidget(new QLabel(QStringLiteral("Output (s)")), 2, 2);
    layout->addWidget(inputs_, 3, 0);
    layout->addWidget(new QLabel(QStringLiteral("---->")), 3, 1);
    layout->addWidget(outputs_, 3, 2);
    layout->addWidget(mono_, 4, 0);
    layout->addWidget(stereo_, 5, 0);
    layout->addWidget(connectButton_, 4, 2);
    layout->addWidget(disconnectButton_, 5, 2);
    layout->setRowStretch(3, 1);

    for (const RouteSide side : {RouteSide::Input, RouteSide::Output}) {
        connect(TypeSelector(side), &QComboBox::activated, this,
                [this, side] { FillChannelList(side, ShownType(side)); });
    }
    connect(stereo_, &QRadioButton::toggled, this, [this] {
        FillChannelList(RouteSide::Input, ShownType(RouteSide::Input));
        FillChannelList(RouteSide::Output, ShownType(RouteSide::Output));
    });
    connect(connectButton_, &QPushButton::clicked, this, [this] { ConnectSelected(); });
    connect(disconnectButton_, &QPushButton::clicked, this, [this] { DisconnectSelected(); });
}

ChannelCatalog CrosspointControlBox::Catalog() const {
    Session& session = context_.session;
    return ChannelCatalog(
        session.State(), session.Capabilities(),
        session.Connection().options.zel ? &session.Feature<NetworkAudioUnit>().Flows() : nullptr);
}

bool CrosspointControlBox::Stereo() const {
    return stereo_->isChecked();
}

std::int32_t CrosspointControlBox::ShownType(RouteSide side) const {
    const QVariant type = TypeSelector(side)->currentData();
    return type.isValid() ? type.toInt() : RouteType::kAes;
}

void CrosspointControlBox::RebuildTypeSelectors() {
    for (const RouteSide side : {RouteSide::Input, RouteSide::Output}) {
        QComboBox* selector = TypeSelector(side);
        selector->clear();
        for (const TypeEntry& entry : Catalog().Types(side)) {
            selector->addItem(QString::fromStdString(entry.text), entry.type);
        }
        selector->setCurrentIndex(selector->count() > 0 ? 0 : -1);
        FillChannelList(side, RouteType::kAes);
    }
}

void CrosspointControlBox::FillChannelList(RouteSide side, std::int32_t type) {
    QListWidget* list = ChannelList(side);
    list->clear();
    for (const ChannelEntry& entry : Catalog().Channels(side, type, Stereo())) {
        auto* item = new QListWidgetItem(list);
        item->setData(kChannelRole, entry.channel);
        item->setData(kNameRole, QString::fromStdString(entry.text));
    }
    Relabel();
}

void CrosspointControlBox::Relabel() {
    for (const RouteSide side : {RouteSide::Input, RouteSide::Output}) {
        QListWidget* list = ChannelList(side);
        for (int row = 0; row < list->count(); ++row) {
            QListWidgetItem* item = list->item(row);
            item->setText(QString::fromStdString(
                WithChannelLabel(item->data(kNameRole).toString().toStdString(), context_.session.State(),
                                 side, item->data(kChannelRole).toInt())));
        }
    }
}

void CrosspointControlBox::RefillIpChannels(RouteSide side) {
    if (ShownType(side) == RouteType::kIp)
        FillChannelList(side, RouteType::kIp);
}

void CrosspointControlBox::ClearSelections() {
    inputs_->clearSelection();
    outputs_->clearSelection();
}

std::vector<std::int32_t> CrosspointControlBox::SelectedChannels(RouteSide side) const {
    const QListWidget* list = ChannelList(side);
    std::vector<std::int32_t> channels;
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->isSelected())
            channels.push_back(list->item(row)->data(kChannelRole).toInt());
    }
    return channels;
}

void CrosspointControlBox::ConnectSelected() {
    if (!context_.MayRoute())
        return;
    const RoutingActions actions(context_.session.Channels(), Stereo());
    context_.Send(actions.Connect(SelectedChannels(RouteSide::Input), SelectedChannels(RouteSide::Output)));
}

void CrosspointControlBox::DisconnectSelected() {
    if (!context_.MayRoute())
        return;
    const std::vector<Crosspoint> crosspoints =
        RoutingActions(context_.session.Channels(), Stereo()).Disconnect(SelectedChannels(RouteSide::Output));
    if (crosspoints.empty() ||
        !context_.prompter.Question(DisconnectQuestion(crosspoints), "Crosspoint control"))
        return;
    context_.Send(crosspoints);
}

}  // namespace velmar
