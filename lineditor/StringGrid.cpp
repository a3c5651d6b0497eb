#include "lineditor/StringGrid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace {

// Hands the in-place editor's keys to the grid first: Enter and Escape end the editing there, as
// they do in the grid itself.
class GridDelegate : public QStyledItemDelegate {
public:
    explicit GridDelegate(TStringGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (grid_->editorKey(qobject_cast<QWidget*>(object), key->key(), key->modifiers())) return true;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    TStringGrid* grid_;
};

bool isEnterKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

TStringGrid::TStringGrid(int columns, QWidget* parent) : QTableWidget(0, columns, parent) {
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    // Tab leaves the grid for the next control, as in the window's other controls.
    setTabKeyNavigation(false);
    setWordWrap(false);
    setItemDelegate(new GridDelegate(this));
    for (int c = 0; c < columns; ++c)
        setHorizontalHeaderItem(c, new QTableWidgetItem);
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (filling_) return;
        texts_[{item->row() + 1, item->column()}] = item->text();
        if (OnCellEdited) OnCellEdited(item->column(), item->row() + 1);
    });
}

void TStringGrid::setRowCount(int rows) {
    QTableWidget::setRowCount(std::max(rows, 1) - 1);
    for (int row = 1; row < RowCount(); ++row)
        for (int c = 0; c < columnCount(); ++c)
            showCell(c, row);
}

QString TStringGrid::Cells(int column, int row) const {
    const auto found = texts_.find({row, column});
    return found == texts_.end() ? QString() : found->second;
}

void TStringGrid::setCells(int column, int row, const QString& text) {
    if (column < 0 || column >= columnCount() || row < 0) return;
    texts_[{row, column}] = text;
    if (row == 0)
        horizontalHeaderItem(column)->setText(text);
    else if (row < RowCount())
        showCell(column, row);
}

void TStringGrid::showCell(int column, int row) {
    filling_ = true;
    cellItem(column, row)->setText(Cells(column, row));
    filling_ = false;
}

QTableWidgetItem* TStringGrid::cellItem(int column, int row) {
    QTableWidgetItem* cell = item(row - 1, column);
    if (cell != nullptr) return cell;
    cell = new QTableWidgetItem;
    if (column == 0) {
        // The fixed column: neither selected nor edited, drawn like the header.
        cell->setFlags(Qt::NoItemFlags);
        cell->setBackground(palette().button());
        cell->setForeground(palette().buttonText());
    }
    filling_ = true;
    setItem(row - 1, column, cell);
    filling_ = false;
    return cell;
}

void TStringGrid::setRowHeight(int row, int height) {
    if (row == 0)
        horizontalHeader()->setFixedHeight(height);
    else
        QTableWidget::setRowHeight(row - 1, height);
}

void TStringGrid::setCurrent(int column, int row) {
    setCurrentCell(row - 1, column);
}

bool TStringGrid::maySelect(const QModelIndex& index) {
    bool canSelect = true;
    if (OnSelectCell) OnSelectCell(index.column(), index.row() + 1, canSelect);
    return canSelect;
}

void TStringGrid::raiseKeyDown(int& key, Qt::KeyboardModifiers modifiers) {
    if (OnKeyDown) OnKeyDown(key, modifiers);
}

bool TStringGrid::editorKey(QWidget* editor, int key, Qt::KeyboardModifiers modifiers) {
    if (editor != nullptr && (key == Qt::Key_Tab || key == Qt::Key_Backtab)) {
        // Tab leaves the grid for the next control, the typed text kept in its cell.
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
        focusNextPrevChild(key == Qt::Key_Tab);
        return true;
    }
    if (editor == nullptr || !(isEnterKey(key) || key == Qt::Key_Escape)) return false;
    if (isEnterKey(key)) commitData(editor); // the typed text is the cell's before the key is handled
    closeEditor(editor, QAbstractItemDelegate::NoHint);
    // Escape only drops the typed text: the undo it means outside the editor would also take back
    // the change made before this edit.
    if (isEnterKey(key)) raiseKeyDown(key, modifiers);
    return true;
}

void TStringGrid::keyPressEvent(QKeyEvent* event) {
    int key = event->key();
    raiseKeyDown(key, event->modifiers());
    // Enter and Escape belong to the grid: they neither press a button nor close the window.
    if (key == 0 || isEnterKey(event->key()) || event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void TStringGrid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    setFocus(Qt::MouseFocusReason);
    if (!index.isValid() || !(index.flags() & Qt::ItemIsEnabled) || !maySelect(index)) {
        event->accept();
        return;
    }
    QTableWidget::mousePressEvent(event);
}

void TStringGrid::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        // A drag moves the current cell: only onto cells that may be selected.
        const QModelIndex index = indexAt(event->position().toPoint());
        if (!index.isValid() || !(index.flags() & Qt::ItemIsEnabled)) return event->accept();
        if (index != currentIndex() && !maySelect(index)) return event->accept();
    }
    QTableWidget::mouseMoveEvent(event);
}

QModelIndex TStringGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex target = QTableWidget::moveCursor(action, modifiers);
    if (!target.isValid() || target == currentIndex()) return target;
    return maySelect(target) ? target : currentIndex();
}
