#include "features/channeltools/view/ChannelLabelsDialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "device/DeviceModel.h"
#include "device/Session.h"
#include "device/ui/Prompter.h"
#include "features/channeltools/core/ChannelTools.h"
#include "features/channeltools/core/ChannelToolsEvents.h"
#include "features/channeltools/core/ChannelToolsUnit.h"
#include "features/channeltools/core/LabelText.h"
#include "features/channeltools/view/LabelTyping.h"
#include "features/routing/core/ChannelNames.h"
#include "tools/ChannelFindBox.h"
#include "widgets/EditableGrid.h"

namespace velmar {

namespace {

constexpr std::string_view kChannelLabelsDialogCaption = "Channel labels";
constexpr int kInputColumn = 1;
constexpr int kOutputColumn = 2;

const TextField<17>& StoredLabel(const Session& session, std::int32_t direction, std::int32_t channel) {
    const auto& table =
        direction == 0 ? session.State().config.inputLabels : session.State().config.outputLabels;
    return table[static_cast<std::size_t>(channel - 1)];
}

}  // namespace

ChannelLabelsDialog::ChannelLabelsDialog(Session& session, Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      session_(session),
      prompter_(prompter),
      list_(new EditableGrid),
      find_(new ChannelFindBox(
          *list_, [this](int row) { return static_cast<std::int32_t>(list_->RowValue(row)); },
          session.State(), *this)),
      input_(new QLineEdit),
      output_(new QLineEdit),
      notice_(new QLabel),
      defaultAll_(new QPushButton(QStringLiteral("Default all"))),
      outcomes_(session.Outcomes(), session.Events(), session.Connection()) {
    setWindowTitle(QStringLiteral("Channel labels"));
    list_->SetColumns({QStringLiteral("Channel"), QStringLiteral("Input"), QStringLiteral("Output")});
    list_->SetColumnReadOnly(0, true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setWordWrap(false);
    list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 4);
    list_->horizontalHeader()->setStretchLastSection(true);
    const auto tell = [this](const QString& message) { notice_->setText(message); };
    for (const int column : {kInputColumn, kOutputColumn}) {
        EditableGrid::ColumnEditor editor = EditableGrid::LineEditor(
            [tell](QWidget& field, EditableGrid::CellEdit&) {
                GuardLabelTyping(static_cast<QLineEdit&>(field), tell);
                return true;
            },
            [this, column](QWidget&, EditableGrid::CellEdit& edit) {
                // The cell shows the frame's label once the frame reports it, not before.
                if (edit.commit)
                    Send(column == kInputColumn ? 0 : 1, static_cast<std::int32_t>(edit.value), edit.text);
                return false;
            });
        list_->SetColumnEditor(column, std::move(editor));
    }
    connect(list_, &QTableWidget::currentCellChanged, this, [this](int row) { ShowRow(row); });

    GuardLabelTyping(*input_, tell);
    GuardLabelTyping(*output_, tell);
    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Input")), 0, 0);
    fields->addWidget(new QLabel(QStringLiteral("Output")), 0, 1);
    fields->addWidget(input_, 1, 0);
    fields->addWidget(output_, 1, 1);
    auto* apply = new QPushButton(QStringLiteral("Apply"));
    fields->addWidget(apply, 1, 2);
    connect(apply, &QPushButton::clicked, this, [this] { Apply(); });

    auto* group = new QGroupBox(QStringLiteral(" Labels (mono channels) "));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addLayout(find_->NewRow());
    groupLayout->addWidget(list_);
    groupLayout->addLayout(fields);
    groupLayout->addWidget(notice_);

    auto* clearAll = new QPushButton(QStringLiteral("Clear all"));
    auto* close = new QPushButton(QStringLiteral("Close"));
    defaultAll_->setVisible(session_.Connection().options.zel);
    connect(clearAll, &QPushButton::clicked, this, [this] { ClearAll(); });
    connect(defaultAll_, &QPushButton::clicked, this, [this] { DefaultAll(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(clearAll);
    buttons->addWidget(defaultAll_);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    resize(640, 560);

    Fill();
    subscriptions_.push_back(session_.Events().Subscribe<LabelsChanged>(
        [this](const LabelsChanged& e) { ShowLabels(e.first, e.count); }));
}

ChannelLabelsDialog::~ChannelLabelsDialog() = default;

void ChannelLabelsDialog::RequestLabels(Session& session) {
    session.Feature<ChannelToolsUnit>().LabelRuns();
}

std::int32_t ChannelLabelsDialog::FirstChannel() const {
    return ToolChannelBase(session_.Connection()) + 1;
}

void ChannelLabelsDialog::Fill() {
    list_->Clear();
    list_->setUpdatesEnabled(false);
    const std::int32_t first = FirstChannel();
    const std::int32_t last = session_.Channels();
    list_->setRowCount(0);
    for (std::int32_t ch = first; ch <= last; ++ch) {
        const int row = list_->InsertRow(list_->rowCount(), QString::fromStdString(ChannelText(ch)));
        list_->SetRowValue(row, static_cast<std::uint32_t>(ch));
        list_->SetText(row, kInputColumn, LabelToQString(StoredLabel(session_, 0, ch).View()));
        list_->SetText(row, kOutputColumn, LabelToQString(StoredLabel(session_, 1, ch).View()));
    }
    list_->setUpdatesEnabled(true);
}

void ChannelLabelsDialog::ShowLabels(std::int32_t first, std::int32_t count) {
    const std::int32_t base = FirstChannel();
    for (std::int32_t ch = std::max(first, base); ch < first + count && ch <= session_.Channels(); ++ch) {
        const int row = ch - base;
        list_->SetText(row, kInputColumn, LabelToQString(StoredLabel(session_, 0, ch).View()));
        list_->SetText(row, kOutputColumn, LabelToQString(StoredLabel(session_, 1, ch).View()));
    }
}

void ChannelLabelsDialog::ShowRow(int row) {
    const auto channel = static_cast<std::int32_t>(list_->RowValue(row));
    if (channel < 1 || channel > session_.Channels())
        return;
    input_->setText(LabelToQString(StoredLabel(session_, 0, channel).View()));
    output_->setText(LabelToQString(StoredLabel(session_, 1, channel).View()));
}

void ChannelLabelsDialog::Send(std::int32_t direction, std::int32_t channel, const QString& text) {
    if (channel < 1 || channel > session_.Channels() || !session_.IsReady())
        return;
    if (const auto problem = LabelProblem(text.toStdString())) {
        notice_->setText(QString::fromStdString(*problem) + QStringLiteral(" Not sent."));
        return;
    }
    const std::string bytes = LabelFromQString(text);
    if (StoredLabel(session_, direction, channel).View() == bytes)
        return;
    if (const RequestProblem problem =
            session_.Feature<ChannelToolsUnit>().SetLabel(direction, channel, bytes))
        notice_->setText(QString::fromStdString(*problem) + QStringLiteral(" Not sent."));
}

void ChannelLabelsDialog::Apply() {
    const QList<QTableWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty())
        return;
    const auto channel = static_cast<std::int32_t>(list_->RowValue(selected.front()->row()));
    Track([&] {
        Send(0, channel, input_->text());
        Send(1, channel, output_->text());
    });
}

void ChannelLabelsDialog::Track(const std::function<void()>& send) {
    outcomes_.Track(std::string(kChannelLabelsDialogCaption), send, [this](const ActionSummary& summary) {
        notice_->setText(QString::fromStdString(summary.text));
    });
}

void ChannelLabelsDialog::ClearAll() {
    if (!prompter_.Question(AboutFrame("Clear all labels", session_.Connection()),
                            kChannelLabelsDialogCaption) ||
        !session_.IsReady())
        return;
    Track([this] {
        for (std::int32_t direction = 0; direction <= 1; ++direction) {
            for (std::int32_t ch = FirstChannel(); ch <= session_.Channels(); ++ch)
                session_.Feature<ChannelToolsUnit>().SetLabel(direction, ch, {});
        }
    });
}

void ChannelLabelsDialog::DefaultAll() {
    if (!session_.Connection().options.zel ||
        !prompter_.Question("Generate default labels on all channels", kChannelLabelsDialogCaption) ||
        !session_.IsReady())
        return;
    Track([this] {
        for (std::int32_t direction = 0; direction <= 1; ++direction) {
            for (std::int32_t ch = FirstChannel(); ch <= session_.Channels(); ++ch)
                session_.Feature<ChannelToolsUnit>().SetLabel(direction, ch, DefaultLabel(direction, ch));
        }
    });
}

}  // namespace velmar
