#pragma once

#include "app/run/RunContext.h"

class FFmain;

// The window's side of a run or a long add: status panel 4, the stop flag,
// event pumping and the captions a run rewrites.
class WindowRunContext : public RunContext {
public:
    explicit WindowRunContext(FFmain &window) : m_window(window) {}
    void setStatus(const QString &text) override;
    bool stopRequested() const override;
    void pumpEvents() override;
    void setFixedAudio(const QString &path, const QString &lengthCaption) override;
    void showVideoEntry(int entry) override;

private:
    FFmain &m_window;
};
