#include "app/window/RepaintThrottle.h"

#include <QCoreApplication>
#include <QEvent>

RepaintThrottle::RepaintThrottle(QWidget *window, int intervalMs) : m_intervalMs(intervalMs)
{
    // A window held already (by its owner) stays as it is.
    if (window && window->updatesEnabled())
        m_window = window;
    m_wake.setSingleShot(true);
    m_sincePaint.start();
    QCoreApplication::instance()->installEventFilter(this);
}

RepaintThrottle::~RepaintThrottle()
{
    QCoreApplication::instance()->removeEventFilter(this);
    setPainting(true);
    if (m_window && m_window->isVisible())
        m_window->repaint();
}

void RepaintThrottle::rowAdded()
{
    // Rows may come faster than events are pumped: a paint left to the
    // event loop would be held again by the next row before it happened.
    if (m_sincePaint.elapsed() >= m_intervalMs)
        paintNow();
    else
        setPainting(false);
}

void RepaintThrottle::beforeWait()
{
    const qint64 left = m_intervalMs - m_sincePaint.elapsed();
    if (left <= 0)
        paintNow();
    else if (!m_wake.isActive())
        m_wake.start(int(left));  // its event ends the wait
}

void RepaintThrottle::paintNow()
{
    m_sincePaint.restart();
    setPainting(true);
    if (m_window && m_window->isVisible())
        m_window->repaint();
    setPainting(false);
}

bool RepaintThrottle::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
        // Before the control sees it: a stop button's question, for one,
        // then finds the window painted.
        if (!m_painting) {
            paintNow();
            setPainting(true);  // until the next row: the control's answer shows
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void RepaintThrottle::setPainting(bool painting)
{
    if (m_painting == painting)
        return;
    m_painting = painting;
    // Turning painting back on repaints the window once.
    if (m_window)
        m_window->setUpdatesEnabled(painting);
}
