#include "features/channeltools/view/GainDialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "device/ActionOutcomes.h"
#include "device/DeviceModel.h"
#include "device/Session.h"
#include "device/ui/Prompter.h"
#include "features/channeltools/core/ChannelTools.h"
#include "features/channeltools/core/ChannelToolsEvents.h"
#include "features/channeltools/core/ChannelToolsState.h"
#include "features/channeltools/core/ChannelToolsUnit.h"
#include "features/channeltools/view/ChannelTableModel.h"
#include "features/routing/core/ChannelNames.h"
#include "tools/ChannelFindBox.h"

namespace velmar {

namespace {

constexpr std::string_view kGainDialogCaption = "Gain settings";

// The report's first flag word is the phase, the second the mute, in the order of the columns.
QString GainCell(const GainTables& gains, std::int32_t channel, int column) {
    if (column == 0)
        return QString::fromStdString(ChannelText(channel));
    const auto direction = static_cast<std::size_t>(column < 4 ? 0 : 1);
    const GainEntry& gain = gains[direction][static_cast<std::size_t>(channel - 1)];
    switch ((column - 1) % 3) {
        case 0:
            return QString::fromStdString(GainText(gain.gain));
        case 1:
            return gain.phase != 0 ? QStringLiteral("yes") : QStringLiteral("no");
        default:
            return gain.mute != 0 ? QStringLiteral("yes") : QStringLiteral("no");
    }
}

}  // namespace

GainDialog::GainDialog(Session& session, Prompter& prompter, QWidget* parent)
    : QDialog(parent), session_(session), prompter_(prompter), service_(session.Connection().options.zel) {
    setWindowTitle(QStringLiteral("Gain settings"));
    const GainTables& gains = session_.Feature<ChannelToolsUnit>().Gains();
    model_ = new ChannelTableModel(
        {QStringLiteral("Channel"), QStringLiteral("Input gain"), QStringLiteral("phase"),
         QStringLiteral("mute"), QStringLiteral("Output gain"), QStringLiteral("phase"),
         QStringLiteral("mute")},
        [&gains](std::int32_t ch, int column) { return GainCell(gains, ch, column); }, this);
    model_->SetChannelRange(ToolChannelBase(session_.Connection()) + 1, session_.Channels());
    list_ = MakeChannelView(model_, this);
    find_ = new ChannelFindBox(
        *list_, [this](int row) { return model_->ChannelAt(row); }, session_.State(), *this);
    for (int column = 0; column < model_->columnCount(); ++column)
        list_->setColumnWidth(column, column == 0 ? 80 : column == 1 || column == 4 ? 95 : 60);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (!OffersClearMenu())
            return;
        QMenu menu(this);
        menu.addAction(QStringLiteral("Clear settings"), this, [this] { ClearSelected(); });
        menu.exec(list_->viewport()->mapToGlobal(at + QPoint(5, 0)));
    });

    auto* group = new QGroupBox(QStringLiteral(" Gain (mono channels) "));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addLayout(find_->NewRow());
    groupLayout->addWidget(list_);
    clearAll_ = new QPushButton(QStringLiteral("Clear all"));
    clearAll_->setEnabled(service_);
    auto* close = new QPushButton(QStringLiteral("Close"));
    connect(clearAll_, &QPushButton::clicked, this, [this] { ClearAll(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(clearAll_);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    resize(720, 520);

    subscriptions_.push_back(session_.Events().Subscribe<GainChanged>(
        [this](const GainChanged& e) { model_->ChannelsChanged(e.channel, 1); }));
}

GainDialog::~GainDialog() = default;

void GainDialog::RequestGains(Session& session) {
    session.Feature<ChannelToolsUnit>().GainLists();
}

bool GainDialog::OffersClearMenu() const {
    return service_ && list_->selectionModel()->hasSelection();
}

void GainDialog::ClearAll() {
    if (!service_ || !prompter_.Question("Clear all settings", kGainDialogCaption))
        return;
    std::vector<std::int32_t> channels;
    for (int row = 0; row < model_->rowCount(); ++row)
        channels.push_back(model_->ChannelAt(row));
    Clear(channels);
}

void GainDialog::ClearSelected() {
    if (!OffersClearMenu() || !prompter_.Question("Clear selected channels", kGainDialogCaption))
        return;
    Clear(SelectedChannels(*list_, *model_));
}

// The list changes when the frame's reports come back, not now.
void GainDialog::Clear(const std::vector<std::int32_t>& channels) {
    if (!session_.IsReady())
        return;
    ActionOutcomes(session_.Outcomes(), session_.Events(), session_.Connection())
        .Track(std::string(kGainDialogCaption), [&] {
            for (const std::int32_t channel : channels)
                session_.Feature<ChannelToolsUnit>().ClearGain(channel);
        });
}

}  // namespace velmar
