#include "app/window/WindowRunContext.h"

#include "app/window/FFmain.h"
#include "app/window/SourceGrid.h"
#include "app/window/SourceListOps.h"

#include <QCoreApplication>

void WindowRunContext::setStatus(const QString &text)
{
    m_window.setStatusText(text);
}

bool WindowRunContext::stopRequested() const
{
    return m_window.state().stopRequested;
}

void WindowRunContext::pumpEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void WindowRunContext::setFixedAudio(const QString &path, const QString &lengthCaption)
{
    m_window.lists().setFixedAudio(path, lengthCaption);
}

void WindowRunContext::showVideoEntry(int entry)
{
    SourceGrid *grid = m_window.controls().MSFV;
    grid->setCurrentEntry(entry);
    grid->setTopEntry(entry - 22);
}
