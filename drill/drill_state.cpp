#include "drill_state.h"

#include <cmath>
#include <limits>

int PictureSize(double errorRate)
{
    return int(std::floor(13.0 * (75.0 * errorRate - 200.0) / 440.0));
}

void IncrementCounter(qint32 &counter)
{
    if (counter < std::numeric_limits<qint32>::max())
        ++counter;
}
