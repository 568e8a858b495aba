#include "clock.h"

#include <QDateTime>

Clock SystemClock()
{
    return [] {
        return QDateTime::currentMSecsSinceEpoch();
    };
}

LocalDay LocalDayOf(qint64 ms)
{
    const QDate day = QDateTime::fromMSecsSinceEpoch(ms).date();
    return {day.startOfDay().toMSecsSinceEpoch(), day.addDays(1).startOfDay().toMSecsSinceEpoch()};
}
