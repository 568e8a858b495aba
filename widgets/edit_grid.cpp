#include "edit_grid.h"

#include <QKeyEvent>

EditGrid::EditGrid(int rows, int columns, QWidget *parent)
    : QTableWidget(rows, columns, parent)
{}

bool EditGrid::editable(int row, int column) const
{
    const QTableWidgetItem *cell = item(row, column);
    return !cell || cell->flags().testFlag(Qt::ItemIsEditable);
}

QModelIndex EditGrid::step(bool forward) const
{
    const int columns = columnCount();
    int position = currentRow() * columns + currentColumn();
    for (;;) {
        position += forward ? 1 : -1;
        if (position < 0 || position >= rowCount() * columns)
            return {};
        if (editable(position / columns, position % columns))
            return model()->index(position / columns, position % columns);
    }
}

void EditGrid::keyPressEvent(QKeyEvent *event)
{
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (tab) {
        const bool forward
            = event->key() == Qt::Key_Tab && !event->modifiers().testFlag(Qt::ShiftModifier);
        const QModelIndex next
            = event->modifiers().testFlag(Qt::ControlModifier) ? QModelIndex() : step(forward);
        if (next.isValid())
            setCurrentIndex(next);
        else
            QWidget::focusNextPrevChild(forward); // out of the grid, to the buttons
        event->accept();
        return;
    }
    if ((event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace)
        && state() != EditingState) {
        for (QTableWidgetItem *cell : selectedItems()) {
            if (cell->flags().testFlag(Qt::ItemIsEditable))
                cell->setText(QString());
        }
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

QModelIndex EditGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    if (action == MoveNext || action == MovePrevious)
        return step(action == MoveNext);
    return QTableWidget::moveCursor(action, modifiers);
}
