#include "features/ppm/view/PpmDialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "device/Session.h"
#include "device/ui/Prompter.h"
#include "features/ppm/core/PpmEvents.h"
#include "platform/qt/FrameText.h"
#include "protocol/Ipv4Address.h"
#include "tools/ToolFields.h"

namespace velmar {

namespace {

enum StreamColumn { kId, kAddress, kPort, kChannels, kTime, kPhase, kEnable };

}  // namespace

PpmDialog::PpmDialog(Session& session, Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      session_(session),
      prompter_(prompter),
      streams_(NewReportList({QStringLiteral("Stream ID"), QStringLiteral("IP address"),
                              QStringLiteral("Port"), QStringLiteral("Channels"), QStringLiteral("Time"),
                              QStringLiteral("Phase"), QStringLiteral("Enable")},
                             true)),
      assignment_(NewReportList({QStringLiteral("Stream ID"), QStringLiteral("Channel assignment")}, false)),
      count_(new QLineEdit(QStringLiteral("64"))),
      rate_(new QLineEdit(QStringLiteral("50"))),
      first_(new QLineEdit(QStringLiteral("1"))),
      note_(new QLabel),
      outcomes_(session.Outcomes(), session.Events(), session.Connection()) {
    setWindowTitle(QStringLiteral("PPM streams"));
    count_->setToolTip(QStringLiteral("Channels of a new stream, and how many to assign (1..255)"));
    rate_->setToolTip(QStringLiteral("Rate of a new stream in ms (10..60000)"));
    first_->setToolTip(QStringLiteral("First frame channel to assign (1..4096)"));
    streams_->setContextMenuPolicy(Qt::CustomContextMenu);
    streams_->header()->setStretchLastSection(false);
    assignment_->setMaximumHeight(90);

    auto* group = new QGroupBox(QStringLiteral(" Current created streams and channel allocation "));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(streams_, 3);
    groupLayout->addWidget(assignment_, 1);

    auto* refresh = new QPushButton(QStringLiteral("Refresh"));
    auto* create = new QPushButton(QStringLiteral("Create"));
    auto* close = new QPushButton(QStringLiteral("Close"));
    auto* row = new QHBoxLayout;
    row->addWidget(refresh);
    row->addStretch();
    // The label is also the field's name in every message about it.
    for (const auto& [field, name] : {std::pair{count_, QStringLiteral("Channel count")},
                                      {rate_, QStringLiteral("Rate (ms)")},
                                      {first_, QStringLiteral("First channel")}}) {
        auto* label = new QLabel(name);
        label->setBuddy(field);
        field->setAccessibleName(name);
        field->setMaximumWidth(60);
        row->addWidget(label);
        row->addWidget(field);
    }
    row->addWidget(create);
    row->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(note_);
    layout->addLayout(row);
    resize(760, 420);

    connect(refresh, &QPushButton::clicked, this, [this] { Refresh(); });
    connect(create, &QPushButton::clicked, this, [this] { Create(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(streams_, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        QMenu* popup = NewPopup();
        popup->exec(streams_->viewport()->mapToGlobal(position + QPoint(5, 0)));
        delete popup;
    });
    connect(streams_, &QTreeWidget::itemDoubleClicked, this, [this] {
        const QList<QTreeWidgetItem*> selected = streams_->selectedItems();
        if (!selected.isEmpty())
            ShowAssignment(static_cast<std::uint32_t>(ItemValue(selected.front())));
    });

    Subscribe();
    session_.Feature<PpmUnit>().Streams();
}

PpmDialog::~PpmDialog() = default;

void PpmDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Sevenths of the list's width, the address wider and the small numbers narrower.
    const int seventh = streams_->viewport()->width() / 7;
    if (seventh <= 0)
        return;
    const int widths[] = {seventh,      seventh + 40, seventh - 10, seventh,
                          seventh - 15, seventh - 15, seventh - 15};
    for (int column = 0; column < 7; ++column)
        streams_->setColumnWidth(column, widths[column]);
    assignment_->setColumnWidth(0, assignment_->viewport()->width() / 7);
}

void PpmDialog::Subscribe() {
    EventHub& events = session_.Events();
    subscriptions_.push_back(
        events.Subscribe<PpmStreamReported>([this](const PpmStreamReported& e) { OnStream(e); }));
    subscriptions_.push_back(
        events.Subscribe<PpmStreamRemoved>([this](const PpmStreamRemoved& e) { OnRemoved(e.id); }));
    subscriptions_.push_back(events.Subscribe<PpmEnableReported>(
        [this](const PpmEnableReported& e) { OnEnable(e.id, e.enabled); }));
    subscriptions_.push_back(
        events.Subscribe<PpmAssignmentReported>([this](const PpmAssignmentReported& e) { OnAssignment(e); }));
    subscriptions_.push_back(events.Subscribe<PpmRefused>([this](const PpmRefused& e) {
        ShowNote(QStringLiteral("The frame refused %1 (status %2).")
                     .arg(QString::fromStdString(e.word))
                     .arg(e.status));
    }));
}

void PpmDialog::Refresh() {
    // The table goes with the list: a stream removed elsewhere must not linger behind a refresh.
    streams_->clear();
    table_.Clear();
    assignment_->clear();
    shown_.reset();
    note_->clear();
    session_.Feature<PpmUnit>().Streams();
}

std::optional<PpmDialog::QuickFields> PpmDialog::ReadFields() {
    FieldReader reader(prompter_);
    QuickFields fields;
    if (!reader.Read(count_, 1, kMaxPpmStreamChannels, fields.count) ||
        !reader.Read(rate_, 10, 60000, fields.rate) || !reader.Read(first_, 1, 4096, fields.first)) {
        return std::nullopt;
    }
    return fields;
}

void PpmDialog::Send(const PpmNewStream& stream) {
    if (table_.Full()) {
        prompter_.Warning("The frame holds at most " + std::to_string(kMaxPpmStreams) + " PPM streams.");
        return;
    }
    RequestProblem problem;
    Track([&] { problem = session_.Feature<PpmUnit>().Create(stream); });
    if (problem) {
        prompter_.Warning(*problem);
        return;
    }
    next_.Advance();
}

void PpmDialog::Create() {
    const auto fields = ReadFields();
    if (!fields)
        return;
    Send({next_.address, next_.port, next_.id, fields->count, fields->rate, 0});
}

PpmStreamSettings PpmDialog::SettingsDefaults() const {
    PpmStreamSettings defaults;
    defaults.id = next_.id;
    defaults.address = ParseIpv4(next_.address).value_or(0);
    defaults.port = next_.port;
    defaults.channels = std::clamp(count_->text().toInt(), 2, kMaxPpmStreamChannels);
    defaults.rate = std::clamp(rate_->text().toInt(), 10, 60000);
    return defaults;
}

void PpmDialog::CreateWithSettings() {
    PpmSettingsDialog dialog(SettingsDefaults(), prompter_, this);
    if (dialog.exec() == QDialog::Accepted)
        CreateFrom(dialog.Values());
}

void PpmDialog::CreateFrom(const PpmStreamSettings& settings) {
    if (settings.address == 0)
        return;
    next_.address = Ipv4Text(settings.address);
    next_.id = settings.id;
    next_.port = settings.port;
    count_->setText(QString::number(settings.channels));
    rate_->setText(QString::number(settings.rate));
    const auto fields = ReadFields();
    if (!fields)
        return;
    // The phase travels as the operator set it.
    Send({next_.address, next_.port, next_.id, fields->count, fields->rate, settings.phase ? 1 : 0});
}

std::vector<std::uint32_t> PpmDialog::SelectedIdsLastFirst() const {
    std::vector<std::uint32_t> ids;
    for (int row = streams_->topLevelItemCount() - 1; row >= 0; --row) {
        const QTreeWidgetItem* item = streams_->topLevelItem(row);
        if (item->isSelected() && ItemValue(item) != 0)
            ids.push_back(static_cast<std::uint32_t>(ItemValue(item)));
    }
    return ids;
}

void PpmDialog::RemoveSelected() {
    const std::vector<std::uint32_t> ids = SelectedIdsLastFirst();
    if (ids.empty() || !prompter_.Question("ARE YOU SURE"))
        return;
    Track([&] {
        for (std::uint32_t id : ids)
            session_.Feature<PpmUnit>().Delete(id);
    });
}

void PpmDialog::ToggleSelected() {
    // Each stream flips its own state: a mixed selection must not switch streams the same way.
    Track([this] {
        for (std::uint32_t id : SelectedIdsLastFirst()) {
            const PpmStream* stream = table_.Find(id);
            session_.Feature<PpmUnit>().Enable(id, stream == nullptr || !stream->enabled);
        }
    });
}

void PpmDialog::AssignSelected(bool deassign) {
    const std::vector<std::uint32_t> ids = SelectedIdsLastFirst();
    if (ids.empty())
        return;
    const auto fields = ReadFields();
    if (!fields)
        return;
    const std::int32_t channels = session_.Channels();
    for (std::uint32_t id : ids) {
        const PpmStream* stream = table_.Find(id);
        const auto assignments =
            PpmAssignments(fields->count, fields->first, stream ? stream->channels : 0, deassign);
        if (!deassign && channels > 0 && !assignments.empty() && assignments.back().frameChannel > channels) {
            prompter_.Warning("First channel: the assignment would reach channel " +
                              std::to_string(assignments.back().frameChannel) +
                              "; this frame has channels 1 to " + std::to_string(channels) + ".");
            first_->setFocus();
            first_->selectAll();
            return;
        }
    }
    Track([&] {
        for (std::uint32_t id : ids) {
            const PpmStream* stream = table_.Find(id);
            for (const PpmChannelAssignment& a :
                 PpmAssignments(fields->count, fields->first, stream ? stream->channels : 0, deassign)) {
                session_.Feature<PpmUnit>().Assign(id, a.streamChannel, a.frameChannel);
            }
        }
    });
}

void PpmDialog::ShowAssignment(std::uint32_t id) {
    shown_ = id;
    ShowAssignmentRow();
    const PpmStream* stream = table_.Find(id);
    const std::int32_t count = stream ? std::clamp(stream->channels, 0, kMaxPpmStreamChannels) : 64;
    for (std::int32_t channel = 1; channel <= count; ++channel)
        session_.Feature<PpmUnit>().Assignment(id, channel);
}

QMenu* PpmDialog::NewPopup() {
    auto* popup = new QMenu(this);
    if (!streams_->selectedItems().isEmpty()) {
        popup->addAction(QStringLiteral("Remove selected"), this, [this] { RemoveSelected(); });
        popup->addSeparator();
        popup->addAction(QStringLiteral("Enable/Disable"), this, [this] { ToggleSelected(); });
        popup->addAction(QStringLiteral("Assign channels"), this, [this] { AssignSelected(false); });
        popup->addAction(QStringLiteral("Deassign channels"), this, [this] { AssignSelected(true); });
        popup->addSeparator();
    }
    popup->addAction(QStringLiteral("Create ..."), this, [this] { CreateWithSettings(); });
    return popup;
}

void PpmDialog::OnStream(const PpmStreamReported& report) {
    if (!table_.Apply(report)) {
        if (table_.Ignored() == 1)
            session_.Events().Publish(ConsoleNotice{NoticeLevel::Warning, PpmStreamsBeyondBoundNote()});
        return;
    }
    const auto id = static_cast<std::int32_t>(report.id);
    QTreeWidgetItem* item = FindRow(streams_, id);
    if (item == nullptr) {
        item = new QTreeWidgetItem(streams_);
        item->setText(kId, QString::number(report.id));
        item->setData(0, Qt::UserRole, id);
    }
    item->setText(kAddress, FrameTextToQString(report.address));
    item->setText(kPort, QString::number(report.port));
    item->setText(kChannels, QString::number(report.channels));
    item->setText(kTime, QString::number(report.rate));
    item->setText(kPhase, QString::number(report.phase));
    item->setText(kEnable, report.enabled.value_or(false) ? QStringLiteral("1") : QStringLiteral("0"));
    assignment_->clear();
    shown_.reset();
}

void PpmDialog::OnRemoved(std::uint32_t id) {
    RemoveRows(streams_, static_cast<std::int32_t>(id));
    table_.Remove(id);
    if (shown_ == id) {
        assignment_->clear();
        shown_.reset();
    }
}

void PpmDialog::OnEnable(std::uint32_t id, bool enabled) {
    QTreeWidgetItem* item = FindRow(streams_, static_cast<std::int32_t>(id));
    if (item == nullptr)
        return;
    item->setText(kEnable, enabled ? QStringLiteral("1") : QStringLiteral("0"));
    table_.SetEnabled(id, enabled);
}

void PpmDialog::OnAssignment(const PpmAssignmentReported& report) {
    if (FindRow(streams_, static_cast<std::int32_t>(report.id)) == nullptr || !table_.Assign(report))
        return;
    if (shown_ == report.id)
        ShowAssignmentRow();
}

void PpmDialog::ShowAssignmentRow() {
    assignment_->clear();
    if (!shown_)
        return;
    auto* item = new QTreeWidgetItem(assignment_);
    item->setText(0, QString::number(*shown_));
    item->setData(0, Qt::UserRole, static_cast<std::int32_t>(*shown_));
    const PpmStream* stream = table_.Find(*shown_);
    item->setText(1, stream ? QString::fromStdString(stream->AssignmentText()) : QString());
}

void PpmDialog::ShowNote(const QString& text) {
    note_->setText(text);
}

void PpmDialog::Track(const std::function<void()>& send) {
    outcomes_.Track("PPM streams", send, [this](const ActionSummary& summary) {
        if (!summary.allAnswered)
            ShowNote(QString::fromStdString(summary.text));
    });
}

}  // namespace velmar
