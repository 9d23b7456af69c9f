#include "app/run/PendingOutput.h"

#include "platform/FileReplacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString unfinishedName(const QFileInfo &final, int number)
{
    QString name = final.completeBaseName() + PendingOutput::unfinishedMark();
    if (number > 0)
        name += QString::number(number);
    if (!final.suffix().isEmpty())
        name += QLatin1Char('.') + final.suffix();
    return final.dir().filePath(name);
}

}  // namespace

PendingOutput::PendingOutput(const QString &finalPath) : m_finalPath(finalPath)
{
    const QFileInfo final(finalPath);
    int number = 0;
    m_writingPath = unfinishedName(final, number);
    // The name was free when chosen, so what is there later is the tool's.
    while (QFileInfo::exists(m_writingPath))
        m_writingPath = unfinishedName(final, ++number);
}

bool PendingOutput::complete()
{
    if (!QFileInfo(m_writingPath).isFile())
        return false;
    return ReplaceFile(m_writingPath, m_finalPath);
}

void PendingOutput::discard()
{
    QFile::remove(m_writingPath);
}
