#pragma once

#include "app/run/RunContext.h"

#include <QCoreApplication>
#include <QStringList>

// A RunContext that records what a wait did and can raise the stop flag after
// a given number of status updates, as the stop button would between passes.
class TestRunContext : public RunContext {
public:
    void setStatus(const QString &text) override
    {
        statuses.append(text);
        if (stopAfterStatuses > 0 && statuses.size() >= stopAfterStatuses)
            stop = true;
    }
    bool stopRequested() const override
    {
        ++stopQueries;
        return stop;
    }
    void pumpEvents() override
    {
        ++pumps;
        QCoreApplication::processEvents();
    }
    void setFixedAudio(const QString &, const QString &) override {}
    void showVideoEntry(int) override {}
    void setProgress(double) override {}

    QStringList statuses;
    bool stop = false;
    int stopAfterStatuses = 0;
    mutable int stopQueries = 0;
    int pumps = 0;
};
