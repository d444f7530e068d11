#include "features/routing/view/RoutingArea.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include "device/SessionEvents.h"
#include "features/channeltools/core/ChannelToolsEvents.h"
#include "features/identity/core/IdentityEvents.h"
#include "features/networkaudio/core/NetworkAudioEvents.h"
#include "features/routing/core/ChannelNames.h"
#include "features/routing/core/RoutingEvents.h"
#include "features/routing/core/RoutingUnit.h"
#include "features/routing/view/RoutingGrid.h"

namespace velmar {
namespace {

RoutingContext WithHistory(RoutingContext context, RoutingHistory& history,
                           std::function<void(std::int32_t, const std::string&)> refuse) {
    context.history = &history;
    context.refuse = std::move(refuse);
    return context;
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

RoutingArea::~RoutingArea() {
    context_.session.Feature<RoutingUnit>().StopStepper();
}

RoutingArea::RoutingArea(RoutingContext context, QWidget* parent)
    : QWidget(parent),
      context_(WithHistory(
          context, history_,
          [this](std::int32_t output, const std::string& why) { ShowNotice(output, Text(why)); })),
      status_(new CrosspointStatusBox(context_, this)),
      control_(new CrosspointControlBox(context_, this)),
      grid_(new RoutingGrid(context_, this)),
      views_(new QTabWidget(this)),
      pending_(new QLabel(this)),
      notice_(new QLabel(this)) {
    notice_->setWordWrap(true);
    notice_->setStyleSheet(QStringLiteral("color: #b00000;"));
    notice_->hide();
    pending_->setStyleSheet(QStringLiteral("color: #806000;"));
    pending_->hide();
    auto* list = new QWidget;
    auto* boxes = new QHBoxLayout(list);
    boxes->setContentsMargins(0, 0, 0, 0);
    boxes->addWidget(status_, 1);
    boxes->addWidget(control_, 1);
    views_->addTab(list, QStringLiteral("&List"));
    views_->addTab(grid_, QStringLiteral("&Grid"));
    listTab_ = list;
    connect(views_, &QTabWidget::currentChanged, this, [this] {
        if (listStale_ && views_->currentWidget() == listTab_) {
            listStale_ = false;
            status_->Model().Refresh(CrosspointList::kRebuild, CrosspointList::kOutputColumn);
            status_->ShowSortIndicator();
        }
    });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(views_, 1);
    layout->addWidget(pending_);
    layout->addWidget(notice_);

    auto* undo = new QShortcut(QKeySequence::Undo, this, [this] { Undo(); });
    auto* redo = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), this, [this] { Redo(); });
    undo->setContext(Qt::WindowShortcut);
    redo->setContext(Qt::WindowShortcut);
    Subscribe();
    ConnectionChanged(context_.Connected());
}

void RoutingArea::Subscribe() {
    EventHub& events = context_.session.Events();
    CrosspointListModel& model = status_->Model();
    subscriptions_.push_back(events.Subscribe<CrosspointChanged>([this, &model](const CrosspointChanged& e) {
        // A question's answer changes nothing the operator did not already see. A hidden list
        // does not move rows per notification (a storm of them would cost more than the grid
        // that is shown); it is rebuilt once when it is shown again.
        if (e.origin != CrosspointOrigin::GetReply) {
            if (views_->currentWidget() == listTab_ && !listStale_) {
                model.Refresh(e.output, CrosspointList::kOutputColumn);
            } else {
                listStale_ = true;
            }
        }
        grid_->CrosspointChanged(e.output);
        if (e.origin == CrosspointOrigin::SetReply) {
            // What the message line was about is settled: the frame took this console's change.
            if (e.output == noticeOutput_ && !context_.session.Feature<RoutingUnit>().Pending(e.output))
                ClearNotice();
            status_->Reveal(e.output);
            ShowPending();
        }
    }));
    subscriptions_.push_back(
        events.Subscribe<CrosspointRequested>([this, &model](const CrosspointRequested& e) {
            model.RepaintRow(e.output);
            grid_->CrosspointChanged(e.output);
            ShowPending();
        }));
    subscriptions_.push_back(
        events.Subscribe<CrosspointRefused>([this](const CrosspointRefused& e) { ShowRefusal(e); }));
    subscriptions_.push_back(events.Subscribe<MatrixRead>([this, &model](const MatrixRead&) {
        listStale_ = false;
        model.Refresh(CrosspointList::kRebuild, CrosspointList::kOutputColumn);
        status_->ShowSortIndicator();
        grid_->Rebuild();
    }));
    subscriptions_.push_back(events.Subscribe<ChannelLayoutChanged>([this](const ChannelLayoutChanged&) {
        control_->RebuildTypeSelectors();
        grid_->Rebuild();
    }));
    subscriptions_.push_back(events.Subscribe<CapabilitiesChanged>([this](const CapabilitiesChanged&) {
        control_->RebuildTypeSelectors();
        grid_->Rebuild();
    }));
    subscriptions_.push_back(events.Subscribe<IpChannelsChanged>([this](const IpChannelsChanged& e) {
        control_->RefillIpChannels(e.transmit ? RouteSide::Output : RouteSide::Input);
    }));
    subscriptions_.push_back(events.Subscribe<LabelsChanged>([this, &model](const LabelsChanged&) {
        control_->Relabel();
        model.Relabel();
        grid_->Relabel();
    }));
    subscriptions_.push_back(events.Subscribe<velmar::ConnectionChanged>(
        [this](const velmar::ConnectionChanged& e) { ConnectionChanged(e.connected); }));
}

void RoutingArea::ShowRefusal(const CrosspointRefused& refusal) {
    ShowNotice(refusal.output,
               QStringLiteral("The frame refused to feed %1 from %2 (status %3); it still feeds it from %4.")
                   .arg(Text(ChannelText(refusal.output)), Text(SourceText(refusal.input)))
                   .arg(refusal.status)
                   .arg(Text(SourceText(refusal.kept))));
    status_->Model().RepaintRow(refusal.output);
    grid_->CrosspointChanged(refusal.output);
    ShowPending();
}

void RoutingArea::ShowPending() {
    const std::size_t count = context_.session.Feature<RoutingUnit>().PendingCount();
    pending_->setText(count == 0 ? QString()
                                 : QStringLiteral("Waiting for the frame to answer: %1 crosspoint%2")
                                       .arg(count)
                                       .arg(count == 1 ? "" : "s"));
    pending_->setVisible(count > 0);
}

bool RoutingArea::TakeStep(const RoutingHistory::Step& step) {
    if (!step.refusal.empty()) {
        ShowNotice(step.output, Text(step.refusal));
        context_.session.Events().Publish(ConsoleNotice{NoticeLevel::Warning, step.refusal});
        return false;
    }
    ClearNotice();
    context_.session.Events().Publish(ConsoleNotice{NoticeLevel::Info, step.description});
    // Sent without recording: the step itself moved between the undo and redo stacks.
    for (const Crosspoint& c : step.send)
        context_.session.Feature<RoutingUnit>().SetCrosspoint(c.output, c.input);
    return true;
}

bool RoutingArea::Undo() {
    if (!context_.MayRoute())
        return false;
    return TakeStep(history_.Undo(context_.session.Feature<RoutingUnit>().Crosspoints(),
                                  context_.session.Channels(), Waiting()));
}

bool RoutingArea::Redo() {
    if (!context_.MayRoute())
        return false;
    return TakeStep(history_.Redo(context_.session.Feature<RoutingUnit>().Crosspoints(),
                                  context_.session.Channels(), Waiting()));
}

RoutingHistory::Waiting RoutingArea::Waiting() const {
    return [this](std::int32_t output) {
        return context_.session.Feature<RoutingUnit>().Pending(output).has_value();
    };
}

void RoutingArea::ShowNotice(std::int32_t output, const QString& text) {
    noticeOutput_ = output;
    notice_->setText(text);
    notice_->show();
}

void RoutingArea::ClearNotice() {
    noticeOutput_ = 0;
    notice_->clear();
    notice_->hide();
}

void RoutingArea::ConnectionChanged(bool connected) {
    const ConnectionState& connection = context_.session.Connection();
    // A lost link keeps the routing on screen as last known, greyed, until the next connect.
    const bool keep = !connected && connection.lostSince.has_value();
    if (!keep) {
        status_->Model().Clear();
        history_.Clear();
        ClearNotice();
        grid_->Rebuild();
    }
    ShowPending();
    if (!connected)
        control_->ClearSelections();
    status_->View()->setEnabled(!keep);
    const bool routable =
        connected && connection.deviceMode == DeviceMode::Application && connection.capabilities.matrix;
    grid_->setEnabled(routable);
    for (QWidget* control : std::initializer_list<QWidget*>{
             control_->TypeSelector(RouteSide::Input), control_->TypeSelector(RouteSide::Output),
             control_->ChannelList(RouteSide::Input), control_->ChannelList(RouteSide::Output),
             control_->ConnectButton(), control_->DisconnectButton(), control_->MonoButton(),
             control_->StereoButton(), status_->LoadButton(), status_->SaveButton()}) {
        control->setEnabled(routable);
    }
}

}  // namespace velmar
