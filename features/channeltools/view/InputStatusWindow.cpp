#include "features/channeltools/view/InputStatusWindow.h"

#include <QBrush>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <array>

#include "device/Session.h"
#include "device/SessionEvents.h"
#include "features/channeltools/core/ChannelToolsEvents.h"
#include "features/channeltools/core/ChannelToolsUnit.h"
#include "features/identity/core/IdentityEvents.h"
#include "tools/AlarmMarks.h"

namespace velmar {

namespace {

constexpr std::array<std::pair<InputCardType, const char*>, 4> kRadios{{
    {InputCardType::Sdi, " SDI"},
    {InputCardType::Ad, " AD"},
    {InputCardType::Aes, " AES"},
    {InputCardType::Madi, " MADI"},
}};

QTableWidget* StatusList() {
    auto* list = new QTableWidget;
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setShowGrid(true);
    list->verticalHeader()->hide();
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    list->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    return list;
}

// Rewrites the list to the rows, keeping its items where they are (a report rewrites texts
// rather than rebuilding the list under the operator's selection).
void Show(QTableWidget& list, const std::vector<std::string>& columns,
          const std::vector<InputStatusRow>& rows) {
    if (list.columnCount() != static_cast<int>(columns.size())) {
        list.setColumnCount(static_cast<int>(columns.size()));
        QStringList headers;
        for (const std::string& column : columns)
            headers << QString::fromStdString(column);
        list.setHorizontalHeaderLabels(headers);
    }
    list.setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const InputStatusRow& row = rows[static_cast<std::size_t>(r)];
        for (int c = 0; c < list.columnCount(); ++c) {
            const QString text = QString::fromStdString(c == 0 ? row.name
                                                        : c - 1 < static_cast<int>(row.cells.size())
                                                            ? row.cells[static_cast<std::size_t>(c - 1)]
                                                            : std::string());
            QTableWidgetItem* item = list.item(r, c);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                list.setItem(r, c, item);
            }
            if (item->text() != text)
                item->setText(text);
            item->setData(Qt::UserRole, row.item);
            // The cell says what is wrong in words; the colour makes it stand out in the list.
            const bool fault = c > 0 && c - 1 < static_cast<int>(row.faults.size()) &&
                               row.faults[static_cast<std::size_t>(c - 1)];
            item->setData(Qt::BackgroundRole, fault ? QVariant(QBrush(AlarmBackground())) : QVariant());
            item->setData(Qt::ForegroundRole, fault ? QVariant(QBrush(AlarmText())) : QVariant());
        }
    }
}

}  // namespace

InputStatusWindow::InputStatusWindow(Session& session, QWidget* parent)
    : QDialog(parent),
      session_(session),
      main_(StatusList()),
      cards_(StatusList()),
      types_(new QButtonGroup(this)) {
    setWindowTitle(QStringLiteral("Signal input status"));
    setModal(false);
    auto* radios = new QHBoxLayout;
    radios->addWidget(new QLabel(QStringLiteral("Cards :")));
    for (const auto& [type, text] : kRadios) {
        auto* radio = new QRadioButton(QString::fromLatin1(text));
        radio->setChecked(type == cardType_);
        types_->addButton(radio, static_cast<int>(type));
        radios->addWidget(radio);
    }
    radios->addStretch();
    connect(types_, &QButtonGroup::idClicked, this,
            [this](int id) { SelectCardType(static_cast<InputCardType>(id)); });

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Main board")));
    left->addWidget(main_);
    auto* right = new QVBoxLayout;
    right->addLayout(radios);
    right->addWidget(cards_);
    auto* lists = new QHBoxLayout;
    lists->addLayout(left);
    lists->addLayout(right);
    auto* close = new QPushButton(QStringLiteral("Close"));
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    layout->addLayout(buttons);
    resize(900, 480);

    EventHub& events = session_.Events();
    subscriptions_.push_back(events.Subscribe<InputStatusChanged>([this](const InputStatusChanged& e) {
        if (e.group == InputGroup::Main)
            RefillMain();
        else
            RefillCards();
    }));
    // A new frame's image starts empty: nothing of the previous frame may stay on show.
    subscriptions_.push_back(
        events.Subscribe<ConnectionChanged>([this](const ConnectionChanged&) { Refill(); }));
    subscriptions_.push_back(
        events.Subscribe<CapabilitiesChanged>([this](const CapabilitiesChanged&) { Refill(); }));
    Refill();
}

InputStatusWindow::~InputStatusWindow() = default;

void InputStatusWindow::SelectCardType(InputCardType type) {
    if (QAbstractButton* radio = types_->button(static_cast<int>(type));
        radio != nullptr && !radio->isChecked())
        radio->setChecked(true);
    if (type == cardType_)
        return;
    cardType_ = type;
    cards_->setColumnCount(0);
    RefillCards();
}

void InputStatusWindow::showEvent(QShowEvent* event) {
    Refill();
    QDialog::showEvent(event);
}

void InputStatusWindow::Refill() {
    RefillMain();
    RefillCards();
}

void InputStatusWindow::RefillMain() {
    Show(*main_, MainBoardColumns(),
         MainBoardRows(session_.State(), session_.Feature<ChannelToolsUnit>().Inputs()));
}

void InputStatusWindow::RefillCards() {
    const ModelClass model = session_.Capabilities().model;
    const bool cardsShown = model == ModelClass::Full;
    for (QAbstractButton* radio : types_->buttons())
        radio->setEnabled(cardsShown);
    cards_->setEnabled(cardsShown);
    Show(*cards_, CardColumns(cardType_),
         CardRows(session_.State(), session_.Feature<ChannelToolsUnit>().Inputs(), cardType_, model));
}

}  // namespace velmar
