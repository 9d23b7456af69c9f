#pragma once

#include <QObject>

#include <initializer_list>

class QSocketNotifier;
class QTimer;

// Turns the system's stop signals (SIGINT, SIGTERM, SIGHUP) into a Qt
// signal on the thread that made the object: the handler only writes a byte
// into a pipe that a socket notifier watches, so the stop is handled with
// the program's own means (its tools ended, its workspace deleted) at the
// next event processing. A second signal ends the program at once.
//
// The handler can only reach static state, so one object at a time.
class StopSignals : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(std::initializer_list<int> signalNumbers, QObject *parent = nullptr);
    ~StopSignals() override;

    // True once a stop signal has come; readable at any time, also while no
    // events are processed.
    static bool received();

signals:
    void stopRequested();

private:
    void deliver();

    QSocketNotifier *m_notifier = nullptr;
    QTimer *m_poll = nullptr;
    bool m_delivered = false;
};
