// TStringGrid: the editor's grid of texts, addressed as (column, row) with row 0 the fixed header row
// and column 0 the fixed column. The header row is the table's own header, so it stays in view while
// the rows scroll; the fixed column is drawn grey and never takes the current cell. The other cells
// are edited in place. Cells may also be set on rows past RowCount: they are kept and read back,
// but not shown. Window thread.
#pragma once

#include <QTableWidget>

#include <functional>
#include <map>
#include <utility>

class TStringGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit TStringGrid(int columns, QWidget* parent = nullptr);

    // Rows, the header row included.
    int RowCount() const { return rowCount() + 1; }
    void setRowCount(int rows);
    QString Cells(int column, int row) const;
    void setCells(int column, int row, const QString& text);
    void setRowHeight(int row, int height);
    // The current cell (row 1, column 1 at construction).
    int Row() const { return currentRow() + 1; }
    int Col() const { return currentColumn(); }
    // Moves the current cell without asking OnSelectCell.
    void setCurrent(int column, int row);
    // A cell's text is being edited in place.
    bool EditorMode() const { return state() == QAbstractItemView::EditingState; }

    // Asked before the current cell moves to (column, row), by the mouse or the keyboard; leaving
    // `canSelect` false keeps the current cell where it is.
    std::function<void(int column, int row, bool& canSelect)> OnSelectCell;
    // Every key pressed in the grid, an Enter in the cell editor included (the editor's text is then
    // in the cell already); Escape in the cell editor only drops its text. Setting `key` to 0 ends
    // its handling.
    std::function<void(int& key, Qt::KeyboardModifiers modifiers)> OnKeyDown;
    // The user's text went into a cell (the in-place editor committed it); setCells does not raise it.
    std::function<void(int column, int row)> OnCellEdited;

    // The in-place editor's keys (Enter, Escape, and Tab, which leaves the grid); true when the grid
    // took the key.
    bool editorKey(QWidget* editor, int key, Qt::KeyboardModifiers modifiers);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    bool maySelect(const QModelIndex& index);
    void raiseKeyDown(int& key, Qt::KeyboardModifiers modifiers);
    QTableWidgetItem* cellItem(int column, int row);
    void showCell(int column, int row);

    std::map<std::pair<int, int>, QString> texts_; // (row, column), every row
    bool filling_ = false;
};
