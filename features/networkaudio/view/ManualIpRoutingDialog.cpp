#include "features/networkaudio/view/ManualIpRoutingDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "device/Session.h"
#include "device/ui/Prompter.h"
#include "features/networkaudio/core/NetworkAudioUnit.h"
#include "platform/qt/FrameText.h"
#include "protocol/Ipv4Address.h"
#include "tools/ToolFields.h"
#include "widgets/IpAddressEdit.h"
#include "widgets/ProblemNote.h"
#include "widgets/TitleFit.h"

namespace velmar {

namespace {

constexpr std::string_view kFlowsCaption = "IP flows";
enum FlowColumn { kColumnId, kColumnSlots, kColumnPort, kColumnFourth, kColumnChannels };

QLineEdit* FlowNumberField(int value) {
    auto* field = new QLineEdit(QString::number(value));
    field->setMaximumWidth(80);
    return field;
}

QString SideName(bool transmit) {
    return transmit ? QStringLiteral("Tx") : QStringLiteral("Rx");
}

}  // namespace

ManualIpRoutingDialog::ManualIpRoutingDialog(Session& session, Prompter& prompter,
                                             std::function<std::vector<std::string>()> listedAddresses,
                                             QWidget* parent)
    : QDialog(parent),
      session_(session),
      prompter_(prompter),
      listedAddresses_(std::move(listedAddresses)),
      txId_(FlowNumberField(1)),
      txSlots_(FlowNumberField(4)),
      txPort_(FlowNumberField(kFlowFirstPort)),
      txAddress_(new IpAddressEdit),
      rxId_(FlowNumberField(1)),
      rxSlots_(FlowNumberField(4)),
      rxPort_(FlowNumberField(kFlowFirstPort)),
      rxLatency_(FlowNumberField(5000)),
      unicast_(new QCheckBox(QStringLiteral(" Enable unicast clocking"))),
      status_(new QLineEdit),
      txList_(NewReportList({QStringLiteral("ID"), QStringLiteral("Slots"), QStringLiteral("Port"),
                             QStringLiteral("IP address"), QStringLiteral("Channels")},
                            false)),
      rxList_(NewReportList({QStringLiteral("ID"), QStringLiteral("Slots"), QStringLiteral("Port"),
                             QStringLiteral("Latency"), QStringLiteral("Channels")},
                            false)),
      note_(new QLabel),
      txNote_(new ProblemNote),
      txSlotAssign_(new QPushButton(QStringLiteral("Slot assign"))),
      rxSlotAssign_(new QPushButton(QStringLiteral("Slot assign"))),
      outcomes_(session.Outcomes(), session.Events(), session.Connection()) {
    setWindowTitle(QStringLiteral(" Manual IP routing control"));
    TitleFit::Install(*this);
    txAddress_->SetAddress(0);
    status_->setReadOnly(true);
    for (QTreeWidget* list : {txList_, rxList_}) {
        list->setColumnWidth(kColumnId, 40);
        list->setColumnWidth(kColumnSlots, 40);
        list->setColumnWidth(kColumnPort, 60);
        list->setColumnWidth(kColumnFourth, 100);
    }

    auto* txGroup = new QGroupBox(QStringLiteral(" TX flow "));
    auto* txGrid = new QGridLayout(txGroup);
    auto* txCreate = new QPushButton(QStringLiteral("Create"));
    txGrid->addWidget(new QLabel(QStringLiteral("ID")), 0, 0);
    txGrid->addWidget(txId_, 0, 1);
    txGrid->addWidget(new QLabel(QStringLiteral("Number of slots")), 1, 0);
    txGrid->addWidget(txSlots_, 1, 1);
    txGrid->addWidget(new QLabel(QStringLiteral("Port")), 2, 0);
    txGrid->addWidget(txPort_, 2, 1);
    txGrid->addWidget(new QLabel(QStringLiteral("IP address")), 3, 0);
    txGrid->addWidget(txAddress_, 3, 1);
    txGrid->addWidget(txCreate, 4, 0);
    txGrid->addWidget(txSlotAssign_, 4, 1);
    txNote_->Follow(txAddress_, QStringLiteral("IP address"));
    // A refusal by the flow rules holds until the address is edited.
    connect(txAddress_, &QLineEdit::textEdited, this, [this] {
        const QString problem = txAddress_->Problem();
        txNote_->Set(txAddress_, problem.isEmpty() ? QString() : QStringLiteral("IP address: ") + problem);
    });
    txGrid->addWidget(txNote_, 5, 0, 1, 2);

    auto* rxGroup = new QGroupBox(QStringLiteral(" RX flow "));
    auto* rxGrid = new QGridLayout(rxGroup);
    auto* rxCreate = new QPushButton(QStringLiteral("Create"));
    rxGrid->addWidget(new QLabel(QStringLiteral("ID")), 0, 0);
    rxGrid->addWidget(rxId_, 0, 1);
    rxGrid->addWidget(new QLabel(QStringLiteral("Number of slots")), 1, 0);
    rxGrid->addWidget(rxSlots_, 1, 1);
    rxGrid->addWidget(new QLabel(QStringLiteral("Port")), 2, 0);
    rxGrid->addWidget(rxPort_, 2, 1);
    rxGrid->addWidget(new QLabel(QStringLiteral("Latency (usec)")), 3, 0);
    rxGrid->addWidget(rxLatency_, 3, 1);
    rxGrid->addWidget(rxCreate, 4, 0);
    rxGrid->addWidget(rxSlotAssign_, 4, 1);

    auto* syncGroup = new QGroupBox(QStringLiteral(" Synchronization "));
    auto* syncLayout = new QVBoxLayout(syncGroup);
    syncLayout->addWidget(unicast_);
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(new QLabel(QStringLiteral("Status :")));
    statusRow->addWidget(status_);
    syncLayout->addLayout(statusRow);

    auto* left = new QVBoxLayout;
    left->addWidget(txGroup);
    left->addWidget(rxGroup);
    left->addWidget(syncGroup);
    left->addStretch();

    auto* refresh = new QPushButton(QStringLiteral("Refresh"));
    auto* deleteFlow = new QPushButton(QStringLiteral("Delete flow"));
    auto* deleteAll = new QPushButton(QStringLiteral("Delete all flows"));
    auto* close = new QPushButton(QStringLiteral("Close"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(refresh);
    buttons->addWidget(deleteFlow);
    buttons->addWidget(deleteAll);
    buttons->addStretch();
    buttons->addWidget(close);

    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("Tx flows")));
    right->addWidget(txList_);
    right->addWidget(new QLabel(QStringLiteral("Rx flows")));
    right->addWidget(rxList_);
    right->addWidget(note_);
    right->addLayout(buttons);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right, 1);
    resize(900, 520);

    connect(txCreate, &QPushButton::clicked, this, [this] { CreateTx(); });
    connect(rxCreate, &QPushButton::clicked, this, [this] { CreateRx(); });
    connect(refresh, &QPushButton::clicked, this, [this] { Refresh(); });
    connect(deleteFlow, &QPushButton::clicked, this, [this] { DeleteFlow(); });
    connect(deleteAll, &QPushButton::clicked, this, [this] { DeleteAllFlows(); });
    // Create assigns a new flow's slots to their channels; these buttons stay as the frame's
    // own console has them, disabled, and say where the assignment happens.
    for (QPushButton* button : {txSlotAssign_, rxSlotAssign_}) {
        button->setEnabled(false);
        button->setToolTip(QStringLiteral("Create assigns a new flow's slots to their channels."));
    }
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(unicast_, &QCheckBox::clicked, this, [this](bool checked) { SetUnicastClock(checked); });
    // "Delete flow" acts on the list chosen last: choosing in one list lets go of the other.
    for (const bool transmit : {true, false}) {
        connect(List(transmit), &QTreeWidget::itemSelectionChanged, this, [this, transmit] {
            if (!List(transmit)->selectedItems().isEmpty())
                List(!transmit)->clearSelection();
        });
    }

    Subscribe();
    NetworkAudioUnit& unit = session_.Feature<NetworkAudioUnit>();
    unit.UnicastClock();
    unit.UnicastClockStatus();
    unit.RxPortRange();
    unit.DanteQuery(CommandCode::gmaxlatencyip);
    Refresh();
}

ManualIpRoutingDialog::~ManualIpRoutingDialog() = default;

void ManualIpRoutingDialog::Subscribe() {
    EventHub& events = session_.Events();
    subscriptions_.push_back(events.Subscribe<FlowReported>([this](const FlowReported& e) { OnFlow(e); }));
    subscriptions_.push_back(
        events.Subscribe<FlowSlotReported>([this](const FlowSlotReported& e) { OnSlot(e); }));
    subscriptions_.push_back(events.Subscribe<UnicastClockReported>(
        [this](const UnicastClockReported& e) { unicast_->setChecked(e.enabled); }));
    subscriptions_.push_back(events.Subscribe<UnicastClockStatusReported>(
        [this](const UnicastClockStatusReported& e) { status_->setText(FrameTextToQString(e.text)); }));
    subscriptions_.push_back(events.Subscribe<FlowRefused>([this](const FlowRefused& e) {
        note_->setText(QStringLiteral("The frame refused the %1 flow (status %2).")
                           .arg(SideName(e.transmit))
                           .arg(e.status));
    }));
    subscriptions_.push_back(events.Subscribe<FlowSlotRefused>([this](const FlowSlotRefused& e) {
        note_->setText(QStringLiteral("The frame refused slot %1 of %2 flow %3 (status %4).")
                           .arg(e.slot)
                           .arg(SideName(e.transmit))
                           .arg(e.flow)
                           .arg(e.status));
    }));
}

std::optional<ManualIpRoutingDialog::Fields> ManualIpRoutingDialog::ReadFields() {
    FieldReader reader(prompter_);
    Fields f;
    if (!reader.Read(txPort_, kFlowFirstPort, kFlowLastPort, f.tx.port) ||
        !reader.Read(txSlots_, 0, kMaxFlowSlots, f.tx.slotCount) ||
        !reader.Read(txId_, 1, kMaxFlowId, f.tx.flow) ||
        !reader.Read(rxPort_, kFlowFirstPort, kFlowLastPort, f.rx.port) ||
        !reader.Read(rxSlots_, 0, kMaxFlowSlots, f.rx.slotCount) ||
        !reader.Read(rxId_, 1, kMaxFlowId, f.rx.flow) || !reader.Read(rxLatency_, 0, 65535, f.rx.latency)) {
        return std::nullopt;
    }
    // A text that is not an address is no address; CreateTx refuses it with its reason.
    f.tx.address = txAddress_->Address() ? Ipv4Text(*txAddress_->Address()) : std::string();
    return f;
}

void ManualIpRoutingDialog::Refresh() {
    if (!session_.IsReady())
        return;
    txList_->clear();
    rxList_->clear();
    tables_.Clear();
    note_->clear();
    for (std::int32_t flow = 1; flow <= kMaxFlowId; ++flow) {
        session_.Feature<NetworkAudioUnit>().Flow(true, flow);
        session_.Feature<NetworkAudioUnit>().Flow(false, flow);
    }
}

void ManualIpRoutingDialog::SetUnicastClock(bool enabled) {
    Track([&] { session_.Feature<NetworkAudioUnit>().SetUnicastClock(enabled); });
    session_.Feature<NetworkAudioUnit>().UnicastClockStatus();
}

void ManualIpRoutingDialog::CreateTx() {
    if (!session_.IsReady())
        return;
    const auto fields = ReadFields();
    if (!fields)
        return;
    if (fields->tx.address.empty()) {
        const std::string typed = txAddress_->text().toStdString();
        prompter_.Warning("IP address: " + ReadIpv4(typed).problem + " The flow was not created.");
        txAddress_->setFocus();
        return;
    }
    std::vector<std::string> own = FrameAddresses(session_.State(), session_.Connection());
    if (listedAddresses_) {
        for (std::string& address : listedAddresses_())
            own.push_back(std::move(address));
    }
    if (const auto refused = TxAddressProblem(fields->tx.address, own)) {
        txNote_->Set(txAddress_, QStringLiteral("IP address: ") + QString::fromStdString(*refused) +
                                     QStringLiteral(" The flow was not created."));
        txAddress_->setFocus();
        return;
    }
    if (const auto problem = CheckTxFlow(tables_, fields->tx, own)) {
        Refuse(true, *problem);
        return;
    }
    const TxFlowRequest& tx = fields->tx;
    RequestProblem problem;
    Track([&] {
        problem = session_.Feature<NetworkAudioUnit>().SetTxFlow(tx.flow, tx.slotCount, tx.address, tx.port);
        if (problem)
            return;
        const std::vector<std::int32_t> channels = FlowSlotChannels(tx.flow, tx.slotCount);
        for (std::size_t slot = 0; slot < channels.size(); ++slot)
            session_.Feature<NetworkAudioUnit>().SetFlowSlot(true, tx.flow, static_cast<std::int32_t>(slot),
                                                             channels[slot]);
    });
    if (problem)
        prompter_.Warning(*problem);
}

void ManualIpRoutingDialog::Refuse(bool transmit, const FlowProblem& problem) {
    if (problem.tellOperator)
        prompter_.Information(problem.text);
    else
        note_->setText(QStringLiteral("%1 flow not created: %2")
                           .arg(SideName(transmit), QString::fromStdString(problem.text)));
}

void ManualIpRoutingDialog::CreateRx() {
    if (!session_.IsReady())
        return;
    const auto fields = ReadFields();
    if (!fields)
        return;
    const RxFlowRequest& rx = fields->rx;
    if (const auto problem =
            CheckRxFlow(tables_, rx, session_.Feature<NetworkAudioUnit>().Flows().maxLatency)) {
        Refuse(false, *problem);
        return;
    }
    Track([&] {
        session_.Feature<NetworkAudioUnit>().SetRxFlow(rx.flow, rx.slotCount, rx.port, rx.latency);
        const std::vector<std::int32_t> channels = FlowSlotChannels(rx.flow, rx.slotCount);
        for (std::size_t slot = 0; slot < channels.size(); ++slot)
            session_.Feature<NetworkAudioUnit>().SetFlowSlot(false, rx.flow, static_cast<std::int32_t>(slot),
                                                             channels[slot]);
    });
}

void ManualIpRoutingDialog::DeleteOne(bool transmit, std::int32_t flow) {
    const FlowEntry* entry = tables_.Find(transmit, flow);
    if (entry == nullptr)
        return;
    RequestProblem problem;
    Track([&] {
        if (transmit)
            problem = session_.Feature<NetworkAudioUnit>().SetTxFlow(flow, 0, entry->address, entry->port);
        else
            session_.Feature<NetworkAudioUnit>().SetRxFlow(flow, 0, entry->port, entry->latency);
    });
    if (problem)
        prompter_.Warning(*problem);
}

void ManualIpRoutingDialog::DeleteFlow() {
    if (!session_.IsReady())
        return;
    for (const bool transmit : {true, false}) {
        const QList<QTreeWidgetItem*> selected = List(transmit)->selectedItems();
        if (selected.isEmpty())
            continue;
        const std::int32_t flow = ItemValue(selected.front());
        if (tables_.Find(transmit, flow) == nullptr)
            return;
        if (prompter_.Question("Delete " + SideName(transmit).toStdString() + " flow " + std::to_string(flow),
                               kFlowsCaption))
            DeleteOne(transmit, flow);
        return;
    }
}

void ManualIpRoutingDialog::DeleteAllFlows() {
    if (!session_.IsReady())
        return;
    if (txList_->topLevelItemCount() == 0 && rxList_->topLevelItemCount() == 0)
        return;
    if (!prompter_.Question("Delete all Rx/Tx flows", kFlowsCaption))
        return;
    for (const bool transmit : {false, true}) {
        QTreeWidget* list = List(transmit);
        std::vector<std::int32_t> flows;
        for (int row = 0; row < list->topLevelItemCount(); ++row)
            flows.push_back(ItemValue(list->topLevelItem(row)));
        for (std::int32_t flow : flows)
            DeleteOne(transmit, flow);
    }
}

void ManualIpRoutingDialog::OnFlow(const FlowReported& report) {
    if (!tables_.Apply(report))
        return;
    QTreeWidget* list = List(report.transmit);
    RemoveRows(list, report.flow);
    if (report.slotCount < 1)
        return;
    auto* item = new QTreeWidgetItem(list);
    item->setData(0, Qt::UserRole, report.flow);
    item->setText(kColumnId, QString::number(report.flow));
    item->setText(kColumnSlots, QString::number(report.slotCount));
    item->setText(kColumnPort, QString::number(report.port));
    item->setText(kColumnFourth,
                  report.transmit ? FrameTextToQString(report.address) : QString::number(report.latency));
    // A flow reported with more than 8 slots is asked for the 8 the frame can have.
    const std::int32_t slotCount = std::min(report.slotCount, kMaxFlowSlots);
    for (std::int32_t slot = 0; slot < slotCount; ++slot)
        session_.Feature<NetworkAudioUnit>().FlowSlot(report.transmit, report.flow, slot);
    QLineEdit* idField = report.transmit ? txId_ : rxId_;
    QLineEdit* portField = report.transmit ? txPort_ : rxPort_;
    bool isNumber = false;
    const int id = idField->text().toInt(&isNumber);
    if (isNumber)
        idField->setText(QString::number(NextFree(report.flow, id, kMaxFlowId)));
    const int port = portField->text().toInt(&isNumber);
    if (isNumber)
        portField->setText(QString::number(NextFree(report.port, port, kFlowLastPort)));
}

void ManualIpRoutingDialog::OnSlot(const FlowSlotReported& report) {
    if (!tables_.ApplySlot(report))
        return;
    QTreeWidgetItem* item = FindRow(List(report.transmit), report.flow);
    const FlowEntry* entry = tables_.Find(report.transmit, report.flow);
    if (item != nullptr && entry != nullptr)
        item->setText(kColumnChannels, QString::fromStdString(entry->ChannelsText()));
}

void ManualIpRoutingDialog::Track(const std::function<void()>& send) {
    outcomes_.Track("Manual IP routing", send, [this](const ActionSummary& summary) {
        if (!summary.allAnswered)
            note_->setText(QString::fromStdString(summary.text));
    });
}

}  // namespace velmar
