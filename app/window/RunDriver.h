#pragma once

#include <QObject>

class FFmain;

// The make and stop buttons: checks a request, rebuilds the workspace, runs
// the composition for every output and cleans up.
class RunDriver : public QObject {
    Q_OBJECT
public:
    explicit RunDriver(FFmain &window, QObject *parent = nullptr);

    void RunClick();
    void StopClick();
    // Asked when the window is closed; true when it may close.
    bool confirmClose();

private:
    FFmain &m_window;
};
