#include "app/compose/FrameSeries.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

FrameSeries::FrameSeries(const QString &folder, EndedTest runEnded)
    : m_folder(folder),
      m_runEnded(std::move(runEnded))
{
}

QString FrameSeries::frameFileName(int frame)
{
    return QStringLiteral("%1.jpg").arg(frame, 6, 10, QLatin1Char('0'));
}

QString FrameSeries::framePath(int frame) const
{
    return m_folder + QDir::separator() + frameFileName(frame);
}

bool FrameSeries::exists(int frame) const
{
    return QFileInfo::exists(framePath(frame));
}

bool FrameSeries::hasJpegEnd(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 4 || !file.seek(file.size() - 2))
        return false;
    const QByteArray tail = file.read(2);
    return tail.size() == 2 && uchar(tail[0]) == 0xFF && uchar(tail[1]) == 0xD9;
}

FrameSeries::Answer FrameSeries::frameFor(int wanted)
{
    if (wanted < 1)
        wanted = 1;
    if (wanted <= m_knownComplete)
        return {State::Ready, wanted};
    if (!m_ended) {
        // The next frame tells that this one is closed; the run's end is asked
        // only when it is not there yet, and the frame is looked for again
        // after it, as the run may have written it just before ending.
        if (exists(wanted + 1)) {
            m_knownComplete = wanted;
            return {State::Ready, wanted};
        }
        if (!m_runEnded())
            return {State::Pending, 0};
        m_ended = true;
    }
    const int last = lastCompleteFrame();
    if (last < 1)
        return {State::Empty, 0};
    return {State::Ready, std::min(wanted, last)};
}

int FrameSeries::lastCompleteFrame()
{
    if (m_lastComplete >= 0)
        return m_lastComplete;
    int last = m_knownComplete;
    while (exists(last + 1))
        ++last;
    // A run that was ended from outside may have left its last frame half written.
    while (last > m_knownComplete && !hasJpegEnd(framePath(last)))
        --last;
    m_lastComplete = last;
    m_knownComplete = last;
    return last;
}
