#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

// Holds a window's painting back while rows pour into one of its lists, and
// paints it, there and then, once per interval instead of once per row. The
// state of its controls (rows, current row, scroll position, texts) changes
// as usual; only the painting waits. A click or a key paints at once, so the
// user always sees what he acts on. When the throttle is destroyed the window
// is painted once more before anything else happens (a completion box opens
// over the last rows) and painting is normal again.
class RepaintThrottle : public QObject {
    Q_OBJECT
public:
    explicit RepaintThrottle(QWidget *window, int intervalMs = 200);
    ~RepaintThrottle() override;

    // After each row: paints what came so far once the interval has passed.
    void rowAdded();
    // Before a wait for the next row: the same, and until the interval has
    // passed a timer ends the wait in time.
    void beforeWait();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setPainting(bool painting);
    // Paints the window now, then holds its painting again.
    void paintNow();

    QPointer<QWidget> m_window;
    const int m_intervalMs;
    QElapsedTimer m_sincePaint;
    QTimer m_wake;
    bool m_painting = true;
};
