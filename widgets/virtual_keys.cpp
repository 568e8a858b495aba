#include "virtual_keys.h"

#include <QKeyEvent>

int VirtualKeyCode(const QKeyEvent &event)
{
    const int key = event.key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return VirtualKey::Enter;
    if (key == Qt::Key_F1)
        return VirtualKey::F1;
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return key; // Qt's codes of these keys are their ASCII capitals and digits
    return 0;
}
