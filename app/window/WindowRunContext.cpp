#include "app/window/WindowRunContext.h"

#include "app/window/MainControls.h"
#include "app/window/ProgressPercent.h"
#include "app/window/SourceGrid.h"
#include "app/window/SourceListOps.h"
#include "app/window/WindowState.h"

#include <QCoreApplication>

void WindowRunContext::setStatus(const QString &text)
{
    m_showStatus(text);
}

bool WindowRunContext::stopRequested() const
{
    return m_state.stopRequested;
}

void WindowRunContext::pumpEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void WindowRunContext::setFixedAudio(const QString &path, const QString &lengthCaption)
{
    m_lists.setFixedAudio(path, lengthCaption);
}

void WindowRunContext::showVideoEntry(int entry)
{
    SourceGrid *grid = m_controls.MSFV;
    grid->setCurrentEntry(entry);
    grid->setTopEntry(entry - 22);
}

void WindowRunContext::setProgress(double percent)
{
    ProgressPercent::set(m_controls.PB, percent);
    if (m_showProgress)
        m_showProgress(percent);
}
