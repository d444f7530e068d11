#include "widgets/EditableGrid.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace velmar {

namespace {

// Row records live on the row's first item, so they move with the row when rows come and go.
constexpr int kValueRole = Qt::UserRole + 1;
constexpr int kBackgroundRole = Qt::UserRole + 2;
constexpr int kTextColourRole = Qt::UserRole + 3;

// Paints every cell of a row in the row's colours; a colour the row does not set stays the view's own.
class RowColourDelegate final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const QModelIndex first = index.siblingAtColumn(0);
        const QVariant background = first.data(kBackgroundRole);
        if (background.isValid())
            option->backgroundBrush = background.value<QColor>();
        const QVariant text = first.data(kTextColourRole);
        if (text.isValid())
            option->palette.setColor(QPalette::Text, text.value<QColor>());
    }
};

QString EditorText(const QWidget& editor) {
    if (const auto* line = qobject_cast<const QLineEdit*>(&editor))
        return line->text();
    if (const auto* list = qobject_cast<const QComboBox*>(&editor))
        return list->currentText();
    return {};
}

void FillEditor(QWidget& editor, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(&editor)) {
        line->setText(text);
        line->selectAll();
    } else if (auto* list = qobject_cast<QComboBox*>(&editor)) {
        list->setCurrentIndex(list->findText(text));
    }
}

// True when `widget` is `ancestor` or lies inside it, across window boundaries: a drop-down list's
// popup is a window of its own but still belongs to its combo box.
bool IsWithin(const QWidget* widget, const QWidget* ancestor) {
    for (; widget != nullptr; widget = widget->parentWidget()) {
        if (widget == ancestor)
            return true;
    }
    return false;
}

}  // namespace

// Watches the whole application while an edit is open and ends the edit when the operator does
// something that means "done with this cell".
class EditEndWatcher final : public QObject {
  public:
    explicit EditEndWatcher(EditableGrid& grid) : QObject(&grid), grid_(grid) {}
    ~EditEndWatcher() override { Disarm(); }

    void Arm() {
        if (armed_)
            return;
        armed_ = true;
        qApp->installEventFilter(this);
        focus_ = connect(qApp, &QApplication::focusChanged, this,
                         [this](QWidget* old, QWidget* now) { OnFocusChanged(old, now); });
    }

    void Disarm() {
        if (!armed_)
            return;
        armed_ = false;
        qApp->removeEventFilter(this);
        disconnect(focus_);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (widget == nullptr || !grid_.IsEditing())
            return false;
        switch (event->type()) {
            case QEvent::KeyPress:
                return OnKey(*widget, *static_cast<QKeyEvent*>(event));
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
            case QEvent::NonClientAreaMouseButtonPress:
            case QEvent::Wheel:
            case QEvent::ContextMenu:
                if (!IsWithin(widget, grid_.Editor()) && !DropDownOpen())
                    grid_.EndEdit(true);
                return false;
            default:
                return false;
        }
    }

  private:
    bool OnKey(const QWidget& receiver, const QKeyEvent& key) {
        if (!IsWithin(&receiver, grid_.Editor()) || DropDownOpen())
            return false;
        switch (key.key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                grid_.EndEdit(true);
                return true;
            case Qt::Key_Escape:
                grid_.EndEdit(false);
                return true;
            case Qt::Key_Tab:
            case Qt::Key_Backtab: {
                if (key.modifiers() & Qt::ControlModifier)
                    return false;
                const bool backwards = key.key() == Qt::Key_Backtab;
                if (!grid_.TabWalk(backwards))
                    grid_.focusNextPrevChild(!backwards);
                return true;
            }
            default:
                return false;
        }
    }

    void OnFocusChanged(const QWidget* old, const QWidget* now) {
        const QWidget* editor = grid_.Editor();
        if (editor == nullptr || !IsWithin(old, editor) || IsWithin(now, editor) || DropDownOpen())
            return;
        grid_.EndEdit(true);
    }

    // The editor's own list (or any other popup it opened) is showing.
    bool DropDownOpen() const {
        const QWidget* popup = QApplication::activePopupWidget();
        return popup != nullptr && IsWithin(popup, grid_.Editor());
    }

    EditableGrid& grid_;
    bool armed_ = false;
    QMetaObject::Connection focus_;
};

EditableGrid::ColumnEditor EditableGrid::LineEditor(BeginCallback begin, EndCallback end) {
    return {[](QWidget* parent) -> QWidget* { return new QLineEdit(parent); }, std::move(begin),
            std::move(end)};
}

EditableGrid::ColumnEditor EditableGrid::ListEditor(QStringList entries, BeginCallback begin,
                                                    EndCallback end) {
    return {[entries = std::move(entries)](QWidget* parent) -> QWidget* {
                auto* list = new QComboBox(parent);
                list->addItems(entries);
                return list;
            },
            std::move(begin), std::move(end)};
}

EditableGrid::EditableGrid(QWidget* parent) : QTableWidget(parent), watcher_(new EditEndWatcher(*this)) {
    setItemDelegate(new RowColourDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(false);
    const auto endOnScroll = [this] {
        if (IsEditing())
            EndEdit(true);
    };
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, endOnScroll);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, endOnScroll);
    connect(model(), &QAbstractItemModel::rowsRemoved, this, &EditableGrid::OnRowsRemoved);
    connect(model(), &QAbstractItemModel::columnsRemoved, this, &EditableGrid::OnRowsRemoved);
    connect(model(), &QAbstractItemModel::modelReset, this, &EditableGrid::OnRowsRemoved);
}

EditableGrid::~EditableGrid() {
    // The owner may be half gone already: drop an open edit without calling back.
    watcher_->Disarm();
    active_.reset();
    // The table's model outlives this part of the object and resets itself on the way out.
    disconnect(model(), nullptr, this, nullptr);
}

void EditableGrid::SetColumns(const QStringList& headers) {
    setColumnCount(static_cast<int>(headers.size()));
    setHorizontalHeaderLabels(headers);
}

int EditableGrid::InsertRow(int index, const QString& text) {
    if (index < 0 || index > rowCount())
        return -1;
    insertRow(index);
    ItemAt(index, 0)->setText(text);
    return index;
}

void EditableGrid::Clear() {
    setRowCount(0);
    navigationRow_ = -1;
    navigationColumn_ = -1;
}

void EditableGrid::SetText(int row, int column, const QString& text) {
    if (QTableWidgetItem* cell = ItemAt(row, column))
        cell->setText(text);
}

QString EditableGrid::Text(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell != nullptr ? cell->text() : QString();
}

void EditableGrid::SetRowValue(int row, std::uint32_t value) {
    if (QTableWidgetItem* first = ItemAt(row, 0))
        first->setData(kValueRole, QVariant::fromValue(value));
}

std::uint32_t EditableGrid::RowValue(int row) const {
    const QTableWidgetItem* first = item(row, 0);
    return first != nullptr ? first->data(kValueRole).value<std::uint32_t>() : 0;
}

void EditableGrid::SetRowColors(int row, const QColor& background, const QColor& text) {
    QTableWidgetItem* first = ItemAt(row, 0);
    if (first == nullptr)
        return;
    first->setData(kBackgroundRole, background.isValid() ? QVariant(background) : QVariant());
    first->setData(kTextColourRole, text.isValid() ? QVariant(text) : QVariant());
    viewport()->update();
}

void EditableGrid::SetColumnEditor(int column, ColumnEditor editor) {
    columns_[column].editor = std::move(editor);
}

void EditableGrid::SetColumnReadOnly(int column, bool readOnly) {
    if (column >= 0 && column < columnCount())
        columns_[column].readOnly = readOnly;
}

QWidget* EditableGrid::Editor() const {
    return active_ ? active_->editor.data() : nullptr;
}

bool EditableGrid::CanEdit(int column) const {
    const auto found = columns_.find(column);
    return found != columns_.end() && !found->second.readOnly && found->second.editor.create;
}

bool EditableGrid::EditCell(int row, int column) {
    // Ending the open edit may change the rows; follow this row through it.
    const QPersistentModelIndex target = model()->index(row, 0);
    EndEdit(true);
    if (!target.isValid() || column < 0 || column >= columnCount() || !CanEdit(column))
        return false;
    row = target.row();
    const ColumnRecord& record = columns_.at(column);

    const QModelIndex cell = model()->index(row, column);
    scrollTo(cell);
    navigationRow_ = row;
    navigationColumn_ = column;

    QWidget* editor = record.editor.create(viewport());
    if (editor == nullptr)
        return false;
    CellEdit edit{row, column, Text(row, column), RowValue(row), false, {}};
    FillEditor(*editor, edit.text);
    if (record.editor.begin && !record.editor.begin(*editor, edit)) {
        delete editor;
        return false;
    }
    clearSelection();
    editor->setGeometry(visualRect(cell).intersected(viewport()->rect()));
    editor->show();
    editor->setFocus(Qt::OtherFocusReason);
    active_ = std::make_unique<OpenEdit>(OpenEdit{cell, column, editor});
    watcher_->Arm();
    return true;
}

void EditableGrid::EndEdit(bool commit) {
    if (!active_)
        return;
    // Taking the edit first makes any end request raised while this one runs a no-op.
    const std::unique_ptr<OpenEdit> edit = std::move(active_);
    watcher_->Disarm();
    QWidget* editor = edit->editor.data();
    if (editor != nullptr) {
        if (IsWithin(QApplication::focusWidget(), editor))
            setFocus(Qt::OtherFocusReason);
        editor->hide();
    }

    const bool rowStillThere = edit->cell.isValid();
    CellEdit ended;
    ended.column = edit->column;
    if (rowStillThere) {
        ended.row = edit->cell.row();
        ended.previous = Text(ended.row, ended.column);
        // What was typed, not what the cell showed: an owner that only looks at the text must
        // still see the edit.
        ended.text = editor != nullptr ? EditorText(*editor) : ended.previous;
        ended.value = RowValue(ended.row);
        ended.commit = commit;
    }
    bool store = ended.commit;
    const auto found = columns_.find(edit->column);
    if (editor != nullptr && found != columns_.end() && found->second.editor.end)
        store = found->second.editor.end(*editor, ended);
    if (store && rowStillThere)
        SetText(ended.row, ended.column, ended.text);
    // The editor may be the receiver of the event that ended the edit.
    if (editor != nullptr)
        editor->deleteLater();
}

QTableWidgetItem* EditableGrid::ItemAt(int row, int column) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return nullptr;
    QTableWidgetItem* cell = item(row, column);
    if (cell == nullptr) {
        cell = new QTableWidgetItem;
        setItem(row, column, cell);
    }
    return cell;
}

bool EditableGrid::TabWalk(bool backwards) {
    const int rows = rowCount();
    const int columns = columnCount();
    if (rows == 0 || columns == 0)
        return false;
    const int step = backwards ? -1 : 1;
    int row = navigationRow_;
    int column = navigationColumn_;
    const auto inside = [&] { return row >= 0 && row < rows && column >= 0 && column < columns; };
    const auto advance = [&] {
        column += step;
        if (column < 0 || column >= columns) {
            row += step;
            column = backwards ? columns - 1 : 0;
        }
    };
    if (inside()) {
        advance();
    } else {
        row = backwards ? rows - 1 : 0;
        column = backwards ? columns - 1 : 0;
    }
    for (; inside(); advance()) {
        if (EditCell(row, column))
            return true;
    }
    EndEdit(true);
    return false;
}

void EditableGrid::OnRowsRemoved() {
    if (active_ && !active_->cell.isValid())
        EndEdit(false);
}

bool EditableGrid::event(QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (tab && !(key->modifiers() & Qt::ControlModifier) && TabWalk(key->key() == Qt::Key_Backtab)) {
            event->accept();
            return true;
        }
    }
    return QTableWidget::event(event);
}

void EditableGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex cell = indexAt(event->position().toPoint());
    if (cell.isValid() && EditCell(cell.row(), cell.column())) {
        event->accept();
        return;
    }
    QTableWidget::mouseDoubleClickEvent(event);
}

}  // namespace velmar
