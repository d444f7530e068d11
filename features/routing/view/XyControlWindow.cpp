#include "features/routing/view/XyControlWindow.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "features/routing/core/ChannelLabel.h"
#include "features/routing/core/RoutingEvents.h"
#include "features/routing/core/RoutingUnit.h"
#include "widgets/TitleFit.h"

namespace velmar {
namespace {

constexpr std::int32_t kLastCrosspoint = 2048;

QLineEdit* NumberField(std::int32_t value, bool readOnly) {
    auto* field = new QLineEdit(QString::number(value));
    field->setReadOnly(readOnly);
    return field;
}

}  // namespace

XyControlWindow::XyControlWindow(RoutingContext context, QWidget* parent)
    : QDialog(parent),
      context_(context),
      input_(NumberField(0, false)),
      output_(NumberField(1, false)),
      responseOutput_(NumberField(0, true)),
      responseInput_(NumberField(0, true)) {
    setWindowTitle(QStringLiteral("X-Y crosspoint control"));
    TitleFit::Install(*this);
    auto* group = new QGroupBox(QStringLiteral(" X-Y selection"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("Output")), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Input")), 0, 1);
    grid->addWidget(output_, 1, 0);
    grid->addWidget(input_, 1, 1);
    grid->addWidget(responseOutput_, 2, 0);
    grid->addWidget(responseInput_, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("( Response )")), 2, 2);

    auto* connectButton = new QPushButton(QStringLiteral("Connect"));
    auto* interrogateButton = new QPushButton(QStringLiteral("Interrogate output"));
    auto* burstButton = new QPushButton(QStringLiteral("Loop 1 to Output and set Cross"));
    burstButton->setObjectName(QStringLiteral("BURST"));
    auto* closeButton = new QPushButton(QStringLiteral("Close"));
    grid->addWidget(connectButton, 3, 0);
    grid->addWidget(interrogateButton, 3, 1);
    grid->addWidget(burstButton, 4, 0, 1, 2);
    grid->addWidget(closeButton, 5, 1);
    connect(connectButton, &QPushButton::clicked, this, [this] { ConnectCrosspoint(); });
    connect(interrogateButton, &QPushButton::clicked, this, [this] { InterrogateOutput(); });
    connect(burstButton, &QPushButton::clicked, this, [this] { Burst(); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);

    EventHub& events = context_.session.Events();
    subscriptions_.push_back(events.Subscribe<CrosspointChanged>([this](const CrosspointChanged& e) {
        if (e.origin != CrosspointOrigin::Notification)
            ShowCrosspoint(e.output, e.input);
    }));
    subscriptions_.push_back(events.Subscribe<CrosspointRefused>(
        [this](const CrosspointRefused& e) { ShowCrosspoint(e.output, e.kept); }));
}

XyControlWindow::~XyControlWindow() = default;

std::optional<XyControlWindow::Fields> XyControlWindow::ReadFields() {
    if (!context_.Ready())
        return std::nullopt;
    Fields fields;
    bool isNumber = false;
    fields.input = input_->text().trimmed().toInt(&isNumber);
    if (!isNumber) {
        context_.prompter.Warning("Please enter an integer.");
        return std::nullopt;
    }
    fields.output = output_->text().trimmed().toInt(&isNumber);
    if (!isNumber || fields.output < 1 || fields.output > kLastCrosspoint) {
        context_.prompter.Warning("Please enter an integer between 1 and 2048.");
        return std::nullopt;
    }
    return fields;
}

void XyControlWindow::ConnectCrosspoint() {
    const auto fields = ReadFields();
    if (fields)
        context_.session.Feature<RoutingUnit>().SetCrosspoint(fields->output, fields->input);
}

void XyControlWindow::InterrogateOutput() {
    const auto fields = ReadFields();
    if (fields)
        context_.session.Feature<RoutingUnit>().Crosspoint(fields->output);
}

void XyControlWindow::Burst() {
    const auto fields = ReadFields();
    if (!fields || !context_.prompter.Question("ARE YOU SURE", "X-Y crosspoint control"))
        return;
    context_.session.Feature<RoutingUnit>().StartStepper(1, fields->output, fields->input == 0);
}

void XyControlWindow::ShowCrosspoint(std::int32_t output, std::int32_t input) {
    responseOutput_->setText(QString::number(output));
    responseInput_->setText(QString::number(input));
    const DeviceState& state = context_.session.State();
    responseOutput_->setToolTip(
        QString::fromStdString(LabelledChannelName(state, RouteSide::Output, output)));
    responseInput_->setToolTip(QString::fromStdString(LabelledChannelName(state, RouteSide::Input, input)));
}

void XyControlWindow::done(int result) {
    context_.session.Feature<RoutingUnit>().StopStepper();
    QDialog::done(result);
}

}  // namespace velmar
