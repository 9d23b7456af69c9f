#include "app/run/PendingOutput.h"

#include "app/run/WorkspaceRecord.h"
#include "platform/FileReplacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Past this many foreign files of our names the output is given up.
constexpr int kMaxNumbers = 1000;

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

PendingOutput::PendingOutput(const QString &finalPath, const QString &workspaceFolder)
    : m_finalPath(finalPath),
      m_workspaceFolder(workspaceFolder)
{
    const QFileInfo final(finalPath);
    for (int number = 0; number < kMaxNumbers; ++number) {
        const QString path = unfinishedName(final, number);
        QFile file(path);
        // Created only when no file (nor link) of that name exists: what is
        // there is then ours alone.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            file.close();
            m_writingPath = path;
            m_pending = true;
            WorkspaceRecord(m_workspaceFolder).outputStarted(path);
            return;
        }
        const QFileInfo taken(path);
        if (!taken.exists() && !taken.isSymLink())
            return;  // not a name in use: the folder refuses new files
    }
}

PendingOutput::~PendingOutput()
{
    if (m_pending)
        discard();
}

bool PendingOutput::complete()
{
    if (!m_pending)
        return false;
    const QFileInfo written(m_writingPath);
    if (!written.isFile() || written.size() <= 0)
        return false;
    if (!ReplaceFile(m_writingPath, m_finalPath))
        return false;
    forget();
    return true;
}

void PendingOutput::discard()
{
    if (!m_pending)
        return;
    QFile::remove(m_writingPath);
    forget();
}

void PendingOutput::forget()
{
    WorkspaceRecord(m_workspaceFolder).outputEnded(m_writingPath);
    m_pending = false;
}
