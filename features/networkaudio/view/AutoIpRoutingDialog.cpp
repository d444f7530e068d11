#include "features/networkaudio/view/AutoIpRoutingDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <vector>

#include "device/Session.h"
#include "device/ui/Prompter.h"
#include "features/networkaudio/core/FlowTables.h"
#include "features/networkaudio/core/NetworkAudioUnit.h"
#include "platform/qt/FrameText.h"
#include "tools/ToolFields.h"
#include "widgets/TitleFit.h"

namespace velmar {

namespace {

constexpr std::int32_t kMinPerformLatency = 250;
constexpr std::int32_t kMinPerformFrameRate = 2;
constexpr std::string_view kAutoRouteQuestion =
    "Enabling auto routing will remove all Dante crosspoints created via DanteController to this unit. "
    "Continue";

QLineEdit* NumberField(int value) {
    return new QLineEdit(QString::number(value));
}

QLineEdit* HostField() {
    auto* field = new QLineEdit;
    field->setMaxLength(static_cast<int>(kMaxHostNameLength));
    return field;
}

}  // namespace

AutoIpRoutingDialog::AutoIpRoutingDialog(Session& session, Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      session_(session),
      prompter_(prompter),
      autoRoute_(new QCheckBox(QStringLiteral(" Auto routing enabled"))),
      frameRate_(NumberField(0)),
      latency_(NumberField(0)),
      destination_(NumberField(1)),
      source_(NumberField(1)),
      destinationHost_(HostField()),
      sourceHost_(HostField()),
      set_(new QPushButton(QStringLiteral("Set"))),
      connect_(new QPushButton(QStringLiteral("Connect"))),
      list_(NewReportList(
          {QStringLiteral("No."), QStringLiteral("Source device (Tx)"), QStringLiteral("Source chn."),
           QStringLiteral("Destination device (Rx)"), QStringLiteral("Destination chn.")},
          true)),
      note_(new QLabel),
      outcomes_(session.Outcomes(), session.Events(), session.Connection()) {
    setWindowTitle(QStringLiteral(" Automatic IP routing control"));
    TitleFit::Install(*this);
    list_->setColumnWidth(0, 35);
    list_->setColumnWidth(1, 150);
    list_->setColumnWidth(2, 80);
    list_->setColumnWidth(3, 150);

    auto* settings = new QGroupBox(QStringLiteral(" Settings (localhost) "));
    auto* settingsGrid = new QGridLayout(settings);
    settingsGrid->addWidget(autoRoute_, 0, 0, 1, 2);
    settingsGrid->addWidget(new QLabel(QStringLiteral("Frame rate")), 1, 0);
    settingsGrid->addWidget(frameRate_, 1, 1);
    settingsGrid->addWidget(new QLabel(QStringLiteral("Latency (us)")), 2, 0);
    settingsGrid->addWidget(latency_, 2, 1);
    settingsGrid->addWidget(set_, 3, 1);

    auto* control = new QGroupBox(QStringLiteral(" Routing control "));
    auto* controlGrid = new QGridLayout(control);
    controlGrid->addWidget(new QLabel(QStringLiteral("Source (Y=1..64)")), 0, 0);
    controlGrid->addWidget(source_, 0, 1);
    controlGrid->addWidget(new QLabel(QStringLiteral("Source hostname")), 1, 0);
    controlGrid->addWidget(sourceHost_, 1, 1);
    controlGrid->addWidget(new QLabel(QStringLiteral("Destination (X=1..64)")), 2, 0);
    controlGrid->addWidget(destination_, 2, 1);
    controlGrid->addWidget(new QLabel(QStringLiteral("Destination hostname")), 3, 0);
    controlGrid->addWidget(destinationHost_, 3, 1);
    controlGrid->addWidget(connect_, 4, 1);

    auto* left = new QVBoxLayout;
    left->addWidget(settings);
    left->addWidget(control);
    left->addStretch();

    auto* refresh = new QPushButton(QStringLiteral("Refresh"));
    auto* remove = new QPushButton(QStringLiteral("Delete route(s)"));
    auto* close = new QPushButton(QStringLiteral("Close"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(refresh);
    buttons->addWidget(remove);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("Routing status")));
    right->addWidget(list_);
    right->addWidget(note_);
    right->addLayout(buttons);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right, 1);
    resize(900, 460);

    connect(autoRoute_, &QCheckBox::clicked, this, [this](bool checked) { AutoRouteClicked(checked); });
    connect(set_, &QPushButton::clicked, this, [this] { Set(); });
    connect(connect_, &QPushButton::clicked, this, [this] { Connect(); });
    connect(refresh, &QPushButton::clicked, this, [this] { Refresh(); });
    connect(remove, &QPushButton::clicked, this, [this] { DeleteRoutes(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    Subscribe();
    NetworkAudioUnit& unit = session_.Feature<NetworkAudioUnit>();
    unit.AutoRoute();
    unit.DanteQuery(CommandCode::gframeip);
    unit.DanteQuery(CommandCode::glatencyip);
    unit.DanteQuery(CommandCode::gmaxlatencyip);
    Refresh();
}

AutoIpRoutingDialog::~AutoIpRoutingDialog() = default;

void AutoIpRoutingDialog::Subscribe() {
    EventHub& events = session_.Events();
    subscriptions_.push_back(
        events.Subscribe<CrossIpReported>([this](const CrossIpReported& e) { OnRoute(e); }));
    subscriptions_.push_back(events.Subscribe<CrossIpRefused>([this](const CrossIpRefused& e) {
        note_->setText(QStringLiteral("The frame refused the route to channel %1 (status %2).")
                           .arg(e.channel)
                           .arg(e.status));
    }));
    subscriptions_.push_back(events.Subscribe<AutoRouteReported>([this](const AutoRouteReported& e) {
        autoRoute_->setChecked(e.enabled);
        EnableForAutoRoute();
    }));
    subscriptions_.push_back(events.Subscribe<PerformanceReported>([this](const PerformanceReported& e) {
        if (e.hasFrameRate)
            frameRate_->setText(QString::number(e.frameRate));
        if (e.hasLatency)
            latency_->setText(QString::number(e.latency));
    }));
    subscriptions_.push_back(events.Subscribe<PerformanceRefused>([this](const PerformanceRefused& e) {
        note_->setText(
            QStringLiteral("The frame refused the frame rate and latency (status %1).").arg(e.status));
    }));
}

void AutoIpRoutingDialog::EnableForAutoRoute() {
    const bool enabled = autoRoute_->isChecked();
    for (QWidget* widget : std::initializer_list<QWidget*>{frameRate_, latency_, set_, connect_})
        widget->setEnabled(enabled);
}

std::optional<AutoIpRoutingDialog::Fields> AutoIpRoutingDialog::ReadFields() {
    FieldReader reader(prompter_);
    Fields f;
    if (!reader.Read(frameRate_, 0, 10000, f.frameRate) || !reader.Read(latency_, 0, 99999, f.latency) ||
        !reader.Read(destination_, 1, kIpRouteChannels, f.destination) ||
        !reader.Read(source_, 0, kIpRouteChannels, f.source)) {
        return std::nullopt;
    }
    for (auto [field, text] :
         {std::pair{destinationHost_, &f.destinationHost}, {sourceHost_, &f.sourceHost}}) {
        FrameTextEncoding encoded = FrameTextFromQString(field->text());
        if (!encoded.Ok()) {
            prompter_.Warning(encoded.error);
            field->setFocus();
            return std::nullopt;
        }
        *text = std::move(encoded.bytes);
    }
    return f;
}

void AutoIpRoutingDialog::Refresh() {
    if (!session_.IsReady())
        return;
    for (std::int32_t channel = 1; channel <= kIpRouteChannels; ++channel)
        session_.Feature<NetworkAudioUnit>().CrossIp(channel, "localhost");
}

void AutoIpRoutingDialog::AutoRouteClicked(bool checked) {
    if (!ReadFields() || (checked && !prompter_.Question(kAutoRouteQuestion))) {
        autoRoute_->setChecked(!checked);
        return;
    }
    Track([&] { session_.Feature<NetworkAudioUnit>().SetAutoRoute(checked); });
}

void AutoIpRoutingDialog::Set() {
    const auto fields = ReadFields();
    if (!fields)
        return;
    const std::int32_t maxLatency = session_.Feature<NetworkAudioUnit>().Flows().maxLatency;
    if (fields->latency > maxLatency) {
        prompter_.Information(LatencyAboveMaximum(maxLatency));
        return;
    }
    NetworkAudioUnit& unit = session_.Feature<NetworkAudioUnit>();
    if (fields->latency >= kMinPerformLatency && fields->frameRate >= kMinPerformFrameRate) {
        RequestProblem problem;
        Track([&] { problem = unit.SetPerformance(fields->frameRate, fields->latency); });
        if (problem)
            prompter_.Warning(*problem);
        return;
    }
    unit.DanteQuery(CommandCode::gframeip);
    unit.DanteQuery(CommandCode::glatencyip);
}

void AutoIpRoutingDialog::Connect() {
    if (!session_.IsReady())
        return;
    const auto fields = ReadFields();
    if (!fields)
        return;
    const std::string_view host = session_.Feature<NetworkAudioUnit>().DanteHostName();
    const IpRouteEnds ends = FillIpRouteEnds(fields->destinationHost, fields->sourceHost, host);
    if (SameIpRouteHost(ends, host)) {
        note_->setText(QStringLiteral("Source and destination are the same device: nothing sent."));
        return;
    }
    RequestProblem problem;
    Track([&] {
        problem = session_.Feature<NetworkAudioUnit>().SetCrossIp(fields->destination, ends.destination,
                                                                  fields->source, ends.source);
    });
    if (problem)
        prompter_.Warning(*problem);
}

void AutoIpRoutingDialog::DeleteRoutes() {
    if (!session_.IsReady())
        return;
    std::vector<std::int32_t> channels;
    for (int row = 0; row < list_->topLevelItemCount(); ++row) {
        if (list_->topLevelItem(row)->isSelected())
            channels.push_back(ItemValue(list_->topLevelItem(row)));
    }
    if (channels.empty())
        return;
    if (channels.size() >= 2 && !prompter_.Question("Disconnect selected", "IP routing status"))
        return;
    RequestProblem problem;
    Track([&] {
        for (auto it = channels.rbegin(); it != channels.rend() && !problem; ++it) {
            if (const IpRoute* route = table_.Find(*it))
                problem = session_.Feature<NetworkAudioUnit>().SetCrossIp(*it, route->destination, 0,
                                                                          route->source);
        }
    });
    if (problem)
        prompter_.Warning(*problem);
}

void AutoIpRoutingDialog::OnRoute(const CrossIpReported& report) {
    if (!table_.Apply(report))
        return;
    RemoveRows(list_, report.channel);
    const IpRoute* route = table_.Find(report.channel);
    if (route == nullptr)
        return;
    auto* item = new QTreeWidgetItem(list_);
    item->setData(0, Qt::UserRole, report.channel);
    item->setText(0, QString::number(list_->topLevelItemCount()));
    item->setText(1, FrameTextToQString(route->source));
    item->setText(2, FrameTextToQString(route->sourceChannel));
    item->setText(3, FrameTextToQString(route->destination));
    item->setText(4, QString::number(report.channel));
}

void AutoIpRoutingDialog::Track(const std::function<void()>& send) {
    outcomes_.Track("Automatic IP routing", send, [this](const ActionSummary& summary) {
        if (!summary.allAnswered)
            note_->setText(QString::fromStdString(summary.text));
    });
}

}  // namespace velmar
