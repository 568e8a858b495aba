#pragma once

#include <QFont>
#include <QList>

class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QString;
class QVBoxLayout;
class QWidget;

// Small pieces that several windows are built from.

// A column layout that fills the window edge to edge.
QVBoxLayout *FlatColumn(QWidget *window);

// A push button with its name; bold when asked. Enter presses it when it has the focus, and
// only then: Enter elsewhere in its dialog (a grid, a field) is not taken for it.
QPushButton *NamedButton(const QString &text, const char *name, QWidget *parent, bool bold = true);
// Ctrl+S anywhere in the button's window presses it.
void SaveShortcut(QPushButton *button);

// A strip of the given height holding the buttons at its right edge.
QWidget *ButtonStrip(const char *name, int height, const QList<QPushButton *> &buttons,
                     QWidget *parent);

// The text of a grid cell; empty for a cell never filled.
QString CellText(const QTableWidget *grid, int row, int column);

// Courier New where installed, otherwise a like font or the system's fixed-pitch font.
QFont FixedPitchFont();
// Times New Roman where installed, otherwise a like serif font or the system's font.
QFont SerifFont();

// A multi-line text field named "Memo1" with both scroll bars.
QPlainTextEdit *Memo(QWidget *parent, const QFont &font, bool wrapLines);
