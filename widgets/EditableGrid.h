#pragma once

#include <QPersistentModelIndex>
#include <QPointer>
#include <QTableWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

class QColor;

namespace velmar {

class EditEndWatcher;

// A table whose chosen columns are edited in place, one cell at a time, by an editor the owner supplies
// (an edit box or a drop-down list). Each row carries a 32-bit value of the owner's and optional colours.
//
// Typical use:
//     grid.SetColumns({"External source", "Priority"});
//     grid.SetColumnReadOnly(0, true);
//     grid.SetColumnEditor(1, EditableGrid::LineEditor(nullptr, [](QWidget&, EditableGrid::CellEdit& edit) {
//         edit.text = Checked(edit.text);   // may rewrite the text, or return false to keep the cell
//         return true;
//     }));
//     const int row = grid.InsertRow(grid.rowCount(), "Word clock");
//     grid.SetText(row, 1, "3");
//     grid.SetRowValue(row, 2);
//
// An edit opens on a double-click, on EditCell, or by walking with Tab / Shift+Tab over the editable
// cells (the walk leaves the grid after the last one). It ends:
//   - Enter: commit; Escape: discard (both end only the edit, the dialog never sees them);
//   - the focus leaving the editor, or a mouse press, wheel turn, scroll or context menu anywhere outside
//     the editor: commit, except while the editor's own drop-down list is open;
//   - opening another edit, or EndEdit: commit or discard as asked.
// An edit lands on the row it began on, even if rows were inserted or removed around it; when that row
// is gone (the grid was cleared or refilled meanwhile) the edit is discarded.
//
// The grid drives its editors itself rather than through QAbstractItemView::edit, so every way an edit
// can end runs through EndEdit exactly once and the owner's end callback always hears about it.
class EditableGrid : public QTableWidget {
    Q_OBJECT

  public:
    // One edit of one cell, as the callbacks see it.
    struct CellEdit {
        int row = -1;
        int column = -1;
        // Begin: the cell's text. End: what the editor holds on entry (empty when the row is gone);
        // the text to store on return.
        QString text;
        // The row's value (SetRowValue).
        std::uint32_t value = 0;
        // End only: true when the edit was committed (Enter, focus or click elsewhere, Tab), false when
        // it was discarded (Escape, EndEdit(false), the row vanished).
        bool commit = false;
        // End only: the cell's text as it stood before the edit.
        QString previous;
    };

    // Builds the editor widget for one edit; the grid parents, places, shows and later deletes it.
    using EditorFactory = std::function<QWidget*(QWidget* parent)>;
    // Called once the editor exists: fill it from edit.text. Returning false refuses the edit.
    using BeginCallback = std::function<bool(QWidget& editor, CellEdit& edit)>;
    // Called when the edit ends, with the editor's text in edit.text. Returning true stores edit.text
    // in the cell, whatever edit.commit says; false leaves the cell as it was.
    using EndCallback = std::function<bool(QWidget& editor, CellEdit& edit)>;

    struct ColumnEditor {
        EditorFactory create;  // required
        BeginCallback begin;   // optional: without it the editor shows the cell's text
        EndCallback end;       // optional: without it the editor's text is stored on commit
    };

    // A one-line edit box whose text is selected whole when the edit opens.
    static ColumnEditor LineEditor(BeginCallback begin = {}, EndCallback end = {});
    // A drop-down list of the given entries with the cell's text selected (no entry when it matches none).
    static ColumnEditor ListEditor(QStringList entries, BeginCallback begin = {}, EndCallback end = {});

    explicit EditableGrid(QWidget* parent = nullptr);
    ~EditableGrid() override;

    void SetColumns(const QStringList& headers);

    // Inserts a row whose first cell is `text` (value 0, no colours); returns its index, or -1 when
    // `index` is not in 0..rowCount().
    int InsertRow(int index, const QString& text);
    // Removes every row; an open edit is discarded.
    void Clear();

    void SetText(int row, int column, const QString& text);
    QString Text(int row, int column) const;
    void SetRowValue(int row, std::uint32_t value);
    // 0 for a row without a value or outside the table.
    std::uint32_t RowValue(int row) const;
    // An invalid QColor leaves that colour at the grid's default.
    void SetRowColors(int row, const QColor& background, const QColor& text);

    void SetColumnEditor(int column, ColumnEditor editor);
    void SetColumnReadOnly(int column, bool readOnly);

    // Opens the editor on a cell (ending any open edit with commit first). False when the cell is outside
    // the table, read-only, has no editor, or its begin callback refused.
    bool EditCell(int row, int column);
    // Ends the open edit, if any; repeated and nested calls are harmless.
    void EndEdit(bool commit);
    bool IsEditing() const { return active_ != nullptr; }
    // The open editor, or null.
    QWidget* Editor() const;

  protected:
    bool event(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    friend class EditEndWatcher;

    struct ColumnRecord {
        ColumnEditor editor;
        bool readOnly = false;
    };
    struct OpenEdit {
        QPersistentModelIndex cell;
        int column = -1;
        QPointer<QWidget> editor;
    };

    QTableWidgetItem* ItemAt(int row, int column);
    // Walks to the next (or previous) editable cell and opens it; false when the walk left the table.
    bool TabWalk(bool backwards);
    bool CanEdit(int column) const;
    void OnRowsRemoved();

    std::map<int, ColumnRecord> columns_;
    std::unique_ptr<OpenEdit> active_;
    int navigationRow_ = -1;
    int navigationColumn_ = -1;
    EditEndWatcher* watcher_;
};

}  // namespace velmar
