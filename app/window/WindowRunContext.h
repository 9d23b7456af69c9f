#pragma once

#include "app/run/RunContext.h"

#include <functional>

struct MainControls;
struct WindowState;
class SourceListOps;

// The window's side of a run: status panel 4, the stop flag, event pumping,
// the progress bar and the captions a run rewrites.
class WindowRunContext : public RunContext {
public:
    using StatusSink = std::function<void(const QString &text)>;
    using ProgressSink = std::function<void(double percent)>;

    WindowRunContext(MainControls &controls, WindowState &state, SourceListOps &lists, StatusSink showStatus,
                     ProgressSink showProgress = {})
        : m_controls(controls),
          m_state(state),
          m_lists(lists),
          m_showStatus(std::move(showStatus)),
          m_showProgress(std::move(showProgress))
    {
    }
    void setStatus(const QString &text) override;
    bool stopRequested() const override;
    void pumpEvents() override;
    void setFixedAudio(const QString &path, const QString &lengthCaption) override;
    void showVideoEntry(int entry) override;
    void setProgress(double percent) override;
    void outputEnded(const OutputReport &report) override
    {
        if (m_outputSink)
            m_outputSink(report);
    }
    void setOutputSink(std::function<void(const OutputReport &)> sink) { m_outputSink = std::move(sink); }

private:
    MainControls &m_controls;
    WindowState &m_state;
    SourceListOps &m_lists;
    StatusSink m_showStatus;
    ProgressSink m_showProgress;
    std::function<void(const OutputReport &)> m_outputSink;
};
