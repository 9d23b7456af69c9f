#pragma once

#include "app/run/RunContext.h"

#include <QList>
#include <QPair>
#include <QStringList>

// A RunContext for tests: records status texts, caption changes and shown
// entries; the stop flag is set by the test.
class RecordingRunContext : public RunContext {
public:
    void setStatus(const QString &text) override { statuses.append(text); }
    bool stopRequested() const override { return stop; }
    void pumpEvents() override { ++pumps; }
    void setFixedAudio(const QString &path, const QString &lengthCaption) override
    {
        fixedAudio.append({path, lengthCaption});
    }
    void showVideoEntry(int entry) override { shownEntries.append(entry); }
    void setProgress(double percent) override { progress.append(percent); }

    QStringList statuses;
    bool stop = false;
    int pumps = 0;
    QList<QPair<QString, QString>> fixedAudio;
    QList<int> shownEntries;
    QList<double> progress;
};
