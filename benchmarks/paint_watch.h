#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>

#include <cstdio>

// Says "ready" and ends the program once the watched control has been painted: the moment
// the user sees it. Both start-up probes use it, so that they are measured alike.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QWidget *watched)
        : QObject(watched)
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // After this paint has reached the screen.
            QMetaObject::invokeMethod(
                this,
                [] {
                    std::puts("ready");
                    std::fflush(stdout);
                    QCoreApplication::exit(0);
                },
                Qt::QueuedConnection);
        }
        return false;
    }
};
