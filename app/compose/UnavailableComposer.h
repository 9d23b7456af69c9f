#pragma once

#include "app/run/Composer.h"

#include <QString>

class RunContext;

// Stands in for a composition mode this version does not offer: every output
// shows the given status text and ends with the given result (Failed or
// Skipped), so the run's summary tells the user.
class UnavailableComposer : public Composer {
public:
    UnavailableComposer(RunContext &context, QString statusText, OutputResult result);

    bool prepare(Workspace &workspace) override;
    OutputResult compose(int outputNumber, const QDateTime &outputStart) override;

private:
    RunContext &m_context;
    QString m_statusText;
    OutputResult m_result;
};
