#include "app/run/PauseSeconds.h"

#include "app/run/RunContext.h"

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>

namespace {
constexpr qint64 SliceMilliseconds = 25;
}

void PauseSeconds(double seconds, RunContext &context)
{
    if (!(seconds > 0.0))  // also refuses NaN
        return;
    const qint64 totalMilliseconds = qint64(std::min(seconds, 1.0e7) * 1000.0 + 0.5);
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        const qint64 remaining = totalMilliseconds - timer.elapsed();
        if (remaining <= 0)
            return;
        context.pumpEvents();
        QThread::msleep(static_cast<unsigned long>(std::min(remaining, SliceMilliseconds)));
    }
}
