#pragma once

#include <QtGlobal>

#include <functional>

// The time of the history: milliseconds since the epoch, UTC. The program passes the system's
// clock, tests a clock of their own.
using Clock = std::function<qint64()>;
Clock SystemClock();

// The user's local calendar day that holds a moment: from its first millisecond up to the
// first of the next day (23 or 25 hours on a change of daylight saving time).
struct LocalDay
{
    qint64 startMs = 0;
    qint64 endMs = 0;
};
LocalDay LocalDayOf(qint64 ms);
