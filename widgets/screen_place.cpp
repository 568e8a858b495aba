#include "screen_place.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <algorithm>

namespace {

QRect availableArea(const QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

// The frame the window manager puts around a window: known once it is shown, guessed before.
QSize frameOf(const QWidget *window)
{
    const QSize frame = window->frameGeometry().size() - window->geometry().size();
    return frame.isEmpty() ? QSize(16, 40) : frame;
}

} // namespace

void FitOnScreen(QWidget *window)
{
    const QRect area = availableArea(window);
    if (area.isEmpty())
        return;
    const QSize frame = frameOf(window);
    const int width = std::min(window->width(), area.width() - frame.width());
    const int height = std::min(window->height(), area.height() - frame.height());
    if (width != window->width() || height != window->height()) {
        window->setMinimumSize(std::min(window->minimumWidth(), width),
                               std::min(window->minimumHeight(), height));
        window->resize(std::max(width, 1), std::max(height, 1));
    }
}

void KeepOnScreen(QWidget *window)
{
    const QRect area = availableArea(window);
    if (area.isEmpty())
        return;
    FitOnScreen(window);
    // The position of a window is that of its frame.
    const QSize outer = window->size() + frameOf(window);
    const int x = std::clamp(window->x(), area.left(), area.right() + 1 - outer.width());
    const int y = std::clamp(window->y(), area.top(), area.bottom() + 1 - outer.height());
    window->move(x, y);
}

namespace {

// Once the window is shown its frame is known: it is kept inside the screen with it.
class ScreenKeeper : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            auto *window = static_cast<QWidget *>(watched);
            QTimer::singleShot(0, window, [window] { KeepOnScreen(window); });
        }
        return false;
    }
};

} // namespace

void PlaceOnScreen(QWidget *window, const QPoint &place)
{
    window->move(place);
    KeepOnScreen(window);
    // One keeper a window, however often it is placed.
    static const char kept[] = "keptOnScreen";
    if (!window->property(kept).toBool()) {
        window->setProperty(kept, true);
        window->installEventFilter(new ScreenKeeper(window));
    }
}

void CentreOnScreen(QWidget *window)
{
    const QRect area = availableArea(window);
    PlaceOnScreen(window, area.center() - QPoint(window->width() / 2, window->height() / 2));
}
