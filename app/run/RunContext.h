#pragma once

#include <QString>

struct OutputReport;

// What long-running core code needs from the window while it works: the status
// line, the stop flag, event pumping, the progress and the few captions a run
// rewrites.
class RunContext {
public:
    virtual ~RunContext() = default;
    // Panel 4 of the status bar.
    virtual void setStatus(const QString &text) = 0;
    virtual bool stopRequested() const = 0;
    // Processes pending window events (the stop button, repaints).
    virtual void pumpEvents() = 0;
    // The fixed audio file captions LNewAu / LAuLen.
    virtual void setFixedAudio(const QString &path, const QString &lengthCaption) = 0;
    // Makes an entry (1-based) of the video list current and visible.
    virtual void showVideoEntry(int entry) = 0;
    // The share of outputs started, 0 to 100 (the progress bar).
    virtual void setProgress(double percent) = 0;
    // Told once per output the run began, when it has ended (with its reason
    // when it failed).
    virtual void outputEnded(const OutputReport &) {}
};
