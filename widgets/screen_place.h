#pragma once

#include <QPoint>

class QWidget;

// Puts a top-level window at its place (or keeps where it is), then moves and, when it must,
// shrinks it so that it lies wholly inside the available area of its screen, whatever the
// screen's size and scale.
void PlaceOnScreen(QWidget *window, const QPoint &place);
void KeepOnScreen(QWidget *window);
// Shrinks a window that is larger than the available area of its screen; where it opens is
// left to the toolkit, which keeps dialogs inside the screen.
void FitOnScreen(QWidget *window);
// The middle of the window's screen.
void CentreOnScreen(QWidget *window);
