#include "features/settings/view/CardConfigPage.h"

#include <QComboBox>
#include <QHeaderView>
#include <QVBoxLayout>

#include "device/DeviceModel.h"
#include "device/Session.h"
#include "features/identity/core/IdentityEvents.h"
#include "platform/qt/FrameText.h"
#include "widgets/EditableGrid.h"

namespace velmar {

namespace {

constexpr int kValueColumn = 2;
const QColor kPresent(0, 255, 0);
const QColor kBlack(0, 0, 0);

}  // namespace

CardConfigPage::CardConfigPage(bool cardSlots, QWidget* parent)
    : SettingsPage(parent),
      cardList_(new EditableGrid(this)),
      grid_(new EditableGrid(this)),
      cardSlots_(cardSlots) {
    auto* layout = new QVBoxLayout(this);
    cardList_->SetColumns({tr("Slot"), tr("Type"), tr("Description")});
    for (int column = 0; column < 3; ++column)
        cardList_->SetColumnReadOnly(column, true);
    cardList_->setShowGrid(true);
    // The chosen card's row is marked green; a selection highlight would hide that.
    cardList_->setSelectionMode(QAbstractItemView::NoSelection);
    cardList_->setColumnWidth(0, 50);
    cardList_->setColumnWidth(1, 110);
    cardList_->horizontalHeader()->setStretchLastSection(true);
    // All eight slots in view: the list is the page's index.
    cardList_->setFixedHeight(cardList_->horizontalHeader()->sizeHint().height() +
                              cardList_->verticalHeader()->defaultSectionSize() *
                                  static_cast<int>(kCardSlots) +
                              2 * cardList_->frameWidth());
    // A click (either button) chooses the card; keys moving through the list do not.
    connect(cardList_, &QTableWidget::cellPressed, this, [this](int row, int) { OnCardPressed(row); });
    layout->addWidget(cardList_);

    grid_->SetColumns({tr("Channel"), tr("Parameter"), tr("Value")});
    grid_->SetColumnReadOnly(0, true);
    grid_->SetColumnReadOnly(1, true);
    grid_->setShowGrid(true);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setColumnWidth(0, 70);
    grid_->setColumnWidth(1, 200);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->SetColumnEditor(kValueColumn, EditableGrid::ListEditor(
                                             {},
                                             [this](QWidget& editor, EditableGrid::CellEdit& edit) {
                                                 return BeginValueEdit(editor, edit.row);
                                             },
                                             [this](QWidget& editor, EditableGrid::CellEdit& edit) {
                                                 return EndValueEdit(editor, edit.row, edit.commit,
                                                                     edit.text);
                                             }));
    grid_->setEnabled(false);
    layout->addWidget(grid_, 1);
}

void CardConfigPage::LoadControls(const ConfigBlock& config, bool cardSlots) {
    for (std::size_t slot = 0; slot < kCardSlots; ++slot)
        boards_[slot] = config.hwConf[slot + 8];
    cards_ = config.cards;
    cardSlots_ = cardSlots;
    selected_ = -1;
    kind_ = CardType::None;
    rows_.clear();
    grid_->Clear();
    grid_->setEnabled(false);
    cardList_->Clear();
    cardList_->setEnabled(cardSlots);
    if (!cardSlots)
        return;
    for (int slot = 1; slot <= static_cast<int>(kCardSlots); ++slot) {
        const int row = cardList_->InsertRow(slot - 1, QString::number(slot));
        cardList_->SetRowValue(row, static_cast<std::uint32_t>(slot));
        ShowSlotRow(slot);
    }
}

void CardConfigPage::ShowSlotRow(std::int32_t slot) {
    const BoardConfig& board = boards_[static_cast<std::size_t>(slot - 1)];
    const bool present = board.boardType > 0;
    cardList_->SetText(slot - 1, 1,
                       present ? FrameTextToQString(board.boardCode.View().substr(0, 9)) : QString());
    cardList_->SetText(
        slot - 1, 2,
        present ? QString::fromUtf8(CardDescription(CardTypeFromBoard(board)).data()) : QString());
}

CardType CardConfigPage::KindOf(std::int32_t slot) const {
    const BoardConfig& board = boards_[static_cast<std::size_t>(slot - 1)];
    const CardType fitted = board.boardType > 0 ? CardTypeFromBoard(board) : CardType::None;
    return cards_[static_cast<std::size_t>(slot - 1)].kind == fitted ? fitted : CardType::None;
}

void CardConfigPage::FollowFrame(Session& session) {
    subscriptions_.push_back(session.Events().Subscribe<BoardChanged>(
        [this, &session](const BoardChanged&) { FrameBoardsChanged(session.State().config); }));
}

void CardConfigPage::FrameBoardsChanged(const ConfigBlock& frame) {
    if (!cardSlots_)
        return;
    for (std::int32_t slot = 1; slot <= static_cast<std::int32_t>(kCardSlots); ++slot) {
        if (EditableCardKind(frame, slot) == KindOf(slot))
            continue;
        // The card the operator was editing is gone: show what is there now and edit nothing.
        boards_[static_cast<std::size_t>(slot - 1)] = frame.hwConf[static_cast<std::size_t>(slot + 7)];
        cards_[static_cast<std::size_t>(slot - 1)].kind = CardType::None;
        ShowSlotRow(slot);
        if (slot == selected_) {
            kind_ = CardType::None;
            grid_->setEnabled(false);
            FillGrid();
            if (boards_[static_cast<std::size_t>(slot - 1)].boardType <= 0)
                cardList_->SetRowColors(slot - 1, QColor(), QColor());
        }
    }
}

void CardConfigPage::StoreControls() {
    grid_->EndEdit(true);
}

void CardConfigPage::StoreInto(ConfigBlock& config) const {
    config.cards = cards_;
}

void CardConfigPage::SelectSlot(std::int32_t slot) {
    if (slot >= 1 && slot <= cardList_->rowCount()) {
        OnCardPressed(slot - 1);
    }
}

int CardConfigPage::GridRow(std::string_view name) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (RowName(rows_[i]) == name)
            return static_cast<int>(i);
    }
    return -1;
}

void CardConfigPage::OnCardPressed(int row) {
    if (!cardSlots_ || row < 0 || row >= cardList_->rowCount())
        return;
    const auto slot = static_cast<std::int32_t>(cardList_->RowValue(row));
    if (selected_ != -1) {
        StoreControls();
        cardList_->SetRowColors(selected_ - 1, QColor(), QColor());
    }
    if (boards_[static_cast<std::size_t>(slot - 1)].boardType > 0)
        cardList_->SetRowColors(row, kPresent, kBlack);
    // A board this page does not know, or a record of another card, is shown and never edited.
    const CardType kind = KindOf(slot);
    grid_->setEnabled(kind != CardType::None);
    if (slot == selected_)
        return;
    selected_ = slot;
    kind_ = kind;
    FillGrid();
}

void CardConfigPage::FillGrid() {
    grid_->Clear();
    rows_ = CardRows(kind_);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const int row =
            grid_->InsertRow(static_cast<int>(i), QString::fromStdString(RowChannelText(rows_[i])));
        grid_->SetText(row, 1, QString::fromStdString(RowParameterText(rows_[i])));
    }
    RefreshValues();
}

void CardConfigPage::RefreshValues() {
    const CardRecord* card = SelectedCard();
    if (card == nullptr)
        return;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const bool editable = RowEditable(rows_[i], *card);
        const int row = static_cast<int>(i);
        grid_->SetText(row, kValueColumn, QString::fromStdString(RowValueText(rows_[i], *card)));
        grid_->SetRowColors(row, QColor(),
                            editable ? QColor() : palette().color(QPalette::Disabled, QPalette::Text));
    }
}

CardRecord* CardConfigPage::SelectedCard() {
    if (selected_ < 1 || kind_ == CardType::None)
        return nullptr;
    return &cards_[static_cast<std::size_t>(selected_ - 1)];
}

bool CardConfigPage::BeginValueEdit(QWidget& editor, int row) {
    auto* list = qobject_cast<QComboBox*>(&editor);
    const CardRecord* card = SelectedCard();
    if (list == nullptr || card == nullptr || row < 0 || static_cast<std::size_t>(row) >= rows_.size())
        return false;
    const std::span<const CardChoice> choices = RowChoices(rows_[static_cast<std::size_t>(row)], *card);
    if (choices.empty())
        return false;
    list->clear();
    for (const CardChoice& choice : choices)
        list->addItem(QString::fromUtf8(choice.text.data(), static_cast<qsizetype>(choice.text.size())));
    list->setCurrentIndex(list->findText(grid_->Text(row, kValueColumn)));
    return true;
}

bool CardConfigPage::EndValueEdit(QWidget& editor, int row, bool commit, QString& text) {
    auto* list = qobject_cast<QComboBox*>(&editor);
    CardRecord* card = SelectedCard();
    // The grid ends an edit on the row it began on, and discards it when that row went with a refill.
    if (!commit || list == nullptr || card == nullptr || row < 0 ||
        static_cast<std::size_t>(row) >= rows_.size() || list->currentIndex() < 0)
        return false;
    if (!StoreRowText(rows_[static_cast<std::size_t>(row)], list->currentText().toStdString(), *card))
        return false;
    // The other rows follow at once: a new interface type opens or closes the port rows, and the
    // DA card's one DSD filter shows on every channel.
    RefreshValues();
    text = grid_->Text(row, kValueColumn);
    return true;
}

}  // namespace velmar
