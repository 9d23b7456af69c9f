#pragma once

#include "app/run/RunContext.h"

// Passes everything on to the run's context, except while quiet: then the
// status line, the captions, the list and the progress stay as they are.
// Draws that are only replayed (to learn what earlier outputs took, or to
// plan a batch) must not show up as the work of a real output.
class ForwardingRunContext : public RunContext {
public:
    explicit ForwardingRunContext(RunContext &target) : m_target(target) {}

    void setQuiet(bool quiet) { m_quiet = quiet; }

    void setStatus(const QString &text) override
    {
        if (m_quiet)
            return;
        m_lastStatus = text;
        m_target.setStatus(text);
    }
    // The last status text shown: a failed output's reason follows it.
    const QString &lastStatus() const { return m_lastStatus; }
    bool stopRequested() const override { return m_target.stopRequested(); }
    void pumpEvents() override
    {
        if (!m_quiet)
            m_target.pumpEvents();
    }
    void setFixedAudio(const QString &path, const QString &lengthCaption) override
    {
        if (!m_quiet)
            m_target.setFixedAudio(path, lengthCaption);
    }
    void showVideoEntry(int entry) override
    {
        if (!m_quiet)
            m_target.showVideoEntry(entry);
    }
    void setProgress(double percent) override
    {
        if (!m_quiet)
            m_target.setProgress(percent);
    }
    void outputEnded(const OutputReport &report) override
    {
        if (!m_quiet)
            m_target.outputEnded(report);
    }

private:
    RunContext &m_target;
    bool m_quiet = false;
    QString m_lastStatus;
};
