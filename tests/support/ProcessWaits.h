#pragma once

// Helpers for tests that start real processes.

#include "platform/ProcessTable.h"

#include <QElapsedTimer>
#include <QThread>

#include <functional>

// Polls a condition until it holds or the time is up; true when it held.
inline bool waitUntil(const std::function<bool()> &condition, int timeoutMilliseconds = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMilliseconds)
            return false;
        QThread::msleep(10);
    }
    return true;
}

// How many running processes have this executable name.
inline int liveCount(const QString &name)
{
    return int(ProcessTable::find([&name](const QString &executable) {
                   return ProcessTable::namesEqual(executable, name);
               }).size());
}
