#include "features/leveldetectors/view/LevelDetectorDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "device/ActionOutcomes.h"
#include "device/DeviceModel.h"
#include "device/Session.h"
#include "device/ui/Prompter.h"
#include "features/channeltools/core/ChannelTools.h"
#include "features/channeltools/view/ChannelTableModel.h"
#include "features/leveldetectors/core/LevelDetectorEvents.h"
#include "features/leveldetectors/core/LevelDetectorUnit.h"
#include "features/routing/core/ChannelNames.h"
#include "tools/ChannelFindBox.h"

namespace velmar {

namespace {

constexpr std::string_view kLevelDetectorDialogCaption = "Level detectors";

const LevelDetector& Stored(const LevelDetectorTables& state, std::int32_t direction, std::int32_t channel) {
    return state[static_cast<std::size_t>(direction)][static_cast<std::size_t>(channel - 1)];
}

// The channel, then the six columns of the input and the six of the output.
QString DetectorCell(const LevelDetectorTables& state, std::int32_t channel, int column) {
    if (column == 0)
        return QString::fromStdString(ChannelText(channel));
    const std::int32_t direction = column > kDetectorColumnCount ? 1 : 0;
    const auto which = static_cast<DetectorColumn>((column - 1) % kDetectorColumnCount);
    return QString::fromStdString(DetectorColumnText(Stored(state, direction, channel), which));
}

QStringList DetectorHeaders() {
    QStringList headers{QStringLiteral("Channel")};
    for (const QString& direction : {QStringLiteral("Input"), QStringLiteral("Output")}) {
        for (const char* column : {"time 1 ms", "level 1 dB", "time 2 ms", "level 2 dB", "enabled", "state"})
            headers << direction + QLatin1Char('\n') + QString::fromLatin1(column);
    }
    return headers;
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

LevelDetectorDialog::LevelDetectorDialog(Session& session, Prompter& prompter, QWidget* parent)
    : QDialog(parent), session_(session), prompter_(prompter) {
    setWindowTitle(QStringLiteral("Level detectors"));
    const LevelDetectorTables& state = session_.Feature<LevelDetectorUnit>().Detectors();
    model_ = new ChannelTableModel(
        DetectorHeaders(), [&state](std::int32_t ch, int column) { return DetectorCell(state, ch, column); },
        this);
    model_->SetRowAlarm(
        [&state](std::int32_t ch) { return Tripped(Stored(state, 0, ch)) || Tripped(Stored(state, 1, ch)); });
    list_ = MakeChannelView(model_, this);
    find_ = new ChannelFindBox(
        *list_, [this](int row) { return model_->ChannelAt(row); }, session_.State(), *this);
    for (int column = 0; column < model_->columnCount(); ++column)
        list_->setColumnWidth(column, column == 0 ? 80 : 64);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        if (list_->selectionModel()->hasSelection()) {
            menu.addAction(QStringLiteral("Clear selected I/O"), this,
                           [this] { ClearSelected(std::nullopt); });
            menu.addAction(QStringLiteral("Clear selected inputs"), this, [this] { ClearSelected(0); });
            menu.addAction(QStringLiteral("Clear selected outputs"), this, [this] { ClearSelected(1); });
            menu.addSeparator();
        }
        menu.addAction(QStringLiteral("Get status"), this, [this] { GetStatus(); });
        menu.exec(list_->viewport()->mapToGlobal(at + QPoint(5, 0)));
    });
    // The fields follow the current row however it moves: click, arrows, page keys, Home, End.
    connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { ShowChannel(model_->ChannelAt(current.row())); });

    auto* edit = new QGridLayout;
    edit->addWidget(new QLabel(QStringLiteral("time 1 ms")), 0, 1);
    edit->addWidget(new QLabel(QStringLiteral("level 1 dB")), 0, 2);
    edit->addWidget(new QLabel(QStringLiteral("time 2 ms")), 0, 3);
    edit->addWidget(new QLabel(QStringLiteral("level 2 dB")), 0, 4);
    for (std::int32_t direction = 0; direction <= 1; ++direction) {
        DirectionFields& f = fields_[static_cast<std::size_t>(direction)];
        const int row = direction + 1;
        edit->addWidget(new QLabel(direction == 0 ? QStringLiteral("Input") : QStringLiteral("Output")), row,
                        0);
        f.time1 = new QLineEdit(QStringLiteral("0"));
        f.level1 = new QLineEdit(QStringLiteral("0"));
        f.time2 = new QLineEdit(QStringLiteral("0"));
        f.level2 = new QLineEdit(QStringLiteral("0"));
        f.enable = new QCheckBox(QStringLiteral(" Enable"));
        const QString limit = QStringLiteral("0 to %1 ms");
        f.time1->setToolTip(limit.arg(MaxTimeMs(direction, 1)));
        f.time2->setToolTip(limit.arg(MaxTimeMs(direction, 2)));
        const QString levels = QStringLiteral("-%1 to %1 dB, at most two decimals").arg(kMaxLevelDb);
        f.level1->setToolTip(levels);
        f.level2->setToolTip(levels);
        auto* apply = new QPushButton(QStringLiteral("Apply"));
        apply->setObjectName(direction == 0 ? QStringLiteral("ApplyInput") : QStringLiteral("ApplyOutput"));
        connect(apply, &QPushButton::clicked, this, [this, direction] { Apply(direction); });
        edit->addWidget(f.time1, row, 1);
        edit->addWidget(f.level1, row, 2);
        edit->addWidget(f.time2, row, 3);
        edit->addWidget(f.level2, row, 4);
        edit->addWidget(f.enable, row, 5);
        edit->addWidget(apply, row, 6);
    }

    activeOnly_ = new QCheckBox(QStringLiteral(" Show active only"));
    connect(activeOnly_, &QCheckBox::toggled, this, [this](bool on) { SetShowActiveOnly(on); });
    auto* group = new QGroupBox(QStringLiteral(" Threshold, enable and status (mono channels) "));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addLayout(find_->NewRow());
    groupLayout->addWidget(list_);
    groupLayout->addLayout(edit);
    groupLayout->addWidget(activeOnly_);

    auto* applyAll = new QPushButton(QStringLiteral("Apply all"));
    auto* clearAll = new QPushButton(QStringLiteral("Clear all"));
    auto* close = new QPushButton(QStringLiteral("Close"));
    connect(applyAll, &QPushButton::clicked, this, [this] { ApplyAll(); });
    connect(clearAll, &QPushButton::clicked, this, [this] { ClearAll(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(applyAll);
    buttons->addWidget(clearAll);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    resize(940, 560);

    Fill();
    subscriptions_.push_back(session_.Events().Subscribe<LevelDetectorsChanged>(
        [this](const LevelDetectorsChanged& e) { model_->ChannelsChanged(e.first, e.count); }));
}

LevelDetectorDialog::~LevelDetectorDialog() = default;

void LevelDetectorDialog::RequestDetectors(Session& session) {
    LevelDetectorUnit& meters = session.Feature<LevelDetectorUnit>();
    meters.LevelDetectorThresholds();
    meters.LevelDetectorRuns(CommandCode::llevdetstate);
    meters.LevelDetectorRuns(CommandCode::llevdetstatus);
}

void LevelDetectorDialog::Fill() {
    const LevelDetectorTables& state = session_.Feature<LevelDetectorUnit>().Detectors();
    std::vector<std::int32_t> channels;
    for (std::int32_t ch = ToolChannelBase(session_.Connection()) + 1; ch <= session_.Channels(); ++ch) {
        if (!activeOnly_->isChecked() || Stored(state, 0, ch).state != 0 || Stored(state, 1, ch).state != 0)
            channels.push_back(ch);
    }
    model_->SetChannels(std::move(channels));
}

void LevelDetectorDialog::SetShowActiveOnly(bool on) {
    if (activeOnly_->isChecked() != on)
        activeOnly_->setChecked(on);  // comes back here through toggled
    else
        Fill();
}

void LevelDetectorDialog::ShowChannel(std::int32_t channel) {
    if (channel < 1 || channel > session_.Channels())
        return;
    for (std::int32_t direction = 0; direction <= 1; ++direction) {
        const LevelDetector& stored = session_.Feature<LevelDetectorUnit>().Stored(direction, channel);
        const DetectorFieldTexts texts = FieldTexts(stored.thresholds);
        DirectionFields& f = fields_[static_cast<std::size_t>(direction)];
        f.time1->setText(Text(texts.time1));
        f.level1->setText(Text(texts.level1));
        f.time2->setText(Text(texts.time2));
        f.level2->setText(Text(texts.level2));
        f.enable->setChecked(stored.state != 0);
    }
}

std::optional<DetectorTarget> LevelDetectorDialog::ReadTarget(std::int32_t direction) {
    const DirectionFields& f = fields_[static_cast<std::size_t>(direction)];
    const DetectorFieldsRead read =
        ReadDetectorFields(direction, {f.time1->text().toStdString(), f.level1->text().toStdString(),
                                       f.time2->text().toStdString(), f.level2->text().toStdString()});
    if (!read.thresholds) {
        // A value out of range stops the action: nothing half-read goes to the frame.
        prompter_.Warning(read.problem, kLevelDetectorDialogCaption);
        return std::nullopt;
    }
    return DetectorTarget{*read.thresholds, f.enable->isChecked()};
}

void LevelDetectorDialog::Apply(std::int32_t direction) {
    const std::optional<DetectorTarget> target = ReadTarget(direction);
    if (!target)
        return;
    std::vector<DetectorRequest> requests;
    for (const std::int32_t ch : SelectedChannels(*list_, *model_)) {
        PlanDetectorChannel(session_.Feature<LevelDetectorUnit>().Detectors(), ch,
                            direction == 0 ? target : std::nullopt, direction == 1 ? target : std::nullopt,
                            requests);
    }
    Send(requests);
}

void LevelDetectorDialog::ApplyAll() {
    if (!prompter_.Question("Apply to all detectors", kLevelDetectorDialogCaption))
        return;
    const std::optional<DetectorTarget> input = ReadTarget(0);
    const std::optional<DetectorTarget> output = input ? ReadTarget(1) : std::nullopt;
    if (!input || !output)
        return;
    std::vector<DetectorRequest> requests;
    for (const std::int32_t ch : model_->Channels())
        PlanDetectorChannel(session_.Feature<LevelDetectorUnit>().Detectors(), ch, input, output, requests);
    Send(requests);
}

void LevelDetectorDialog::ClearAll() {
    if (!prompter_.Question("Clear all detectors", kLevelDetectorDialogCaption))
        return;
    std::vector<DetectorRequest> requests;
    for (const std::int32_t ch : model_->Channels())
        PlanDetectorChannel(session_.Feature<LevelDetectorUnit>().Detectors(), ch, DetectorTarget{},
                            DetectorTarget{}, requests);
    Send(requests);
}

void LevelDetectorDialog::ClearSelected(std::optional<std::int32_t> direction) {
    const char* question = !direction        ? "Clear selected channels"
                           : *direction == 0 ? "Clear selected inputs"
                                             : "Clear selected outputs";
    if (!list_->selectionModel()->hasSelection() ||
        !prompter_.Question(question, kLevelDetectorDialogCaption))
        return;
    const std::optional<DetectorTarget> input =
        !direction || *direction == 0 ? std::optional(DetectorTarget{}) : std::nullopt;
    const std::optional<DetectorTarget> output =
        !direction || *direction == 1 ? std::optional(DetectorTarget{}) : std::nullopt;
    std::vector<DetectorRequest> requests;
    for (const std::int32_t ch : SelectedChannels(*list_, *model_))
        PlanDetectorChannel(session_.Feature<LevelDetectorUnit>().Detectors(), ch, input, output, requests);
    Send(requests);
}

void LevelDetectorDialog::GetStatus() {
    if (!session_.IsReady())
        return;
    LevelDetectorUnit& meters = session_.Feature<LevelDetectorUnit>();
    if (!activeOnly_->isChecked()) {
        meters.LevelDetectorRuns(CommandCode::llevdetstatus);
        return;
    }
    for (const std::int32_t ch : model_->Channels()) {
        meters.LevelDetectorStatus(0, ch);
        meters.LevelDetectorStatus(1, ch);
    }
}

// The list changes when the frame's reports come back, not now.
void LevelDetectorDialog::Send(const std::vector<DetectorRequest>& requests) {
    if (!session_.IsReady())
        return;
    LevelDetectorUnit& meters = session_.Feature<LevelDetectorUnit>();
    ActionOutcomes(session_.Outcomes(), session_.Events(), session_.Connection())
        .Track(std::string(kLevelDetectorDialogCaption), [&] {
            for (const DetectorRequest& r : requests) {
                if (r.kind == DetectorRequest::Kind::Thresholds)
                    meters.SetLevelDetectorThresholds(r.direction, r.channel, r.thresholds);
                else
                    meters.SetLevelDetectorState(r.direction, r.channel, r.enabled);
            }
        });
}

}  // namespace velmar
