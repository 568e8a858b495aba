#pragma once

#include <QTableWidget>

// The grid of the dictionary windows. Tab goes from cell to cell of the columns that can be
// edited and on to the next row, never into a column of row numbers; Tab at the last cell and
// Ctrl+Tab lead out of the grid (Shift for backwards); Delete and Backspace empty the selected
// cells.
class EditGrid : public QTableWidget
{
    Q_OBJECT
public:
    EditGrid(int rows, int columns, QWidget *parent);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    // Tab that ends the editing of a cell goes on to the next editable cell, if any.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    bool editable(int row, int column) const;
    // The next (or previous) editable cell after the current one; invalid at the end.
    QModelIndex step(bool forward) const;
};
