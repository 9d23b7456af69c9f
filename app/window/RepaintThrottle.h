#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

// Holds a window's painting back while rows pour into one of its lists, so
// it repaints at most once per interval instead of once per row. The state
// of its controls (rows, current row, scroll position, texts) changes as
// usual; only the painting waits. A click or a key paints at once, so the
// user always sees what he acts on, and painting is normal again when the
// throttle is destroyed.
class RepaintThrottle : public QObject {
    Q_OBJECT
public:
    explicit RepaintThrottle(QWidget *window, int intervalMs = 250);
    ~RepaintThrottle() override;

    // After each row: paints the burst at the next event pump once the
    // interval has passed, else holds the painting.
    void rowAdded();
    // Before a wait for the next row: what came so far is painted once the
    // interval has passed; until then a timer ends the wait in time.
    void beforeWait();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setPainting(bool painting);

    QPointer<QWidget> m_window;
    const int m_intervalMs;
    QElapsedTimer m_sincePaint;
    QTimer m_wake;
    bool m_painting = true;
};
