#include "app/run/WorkspaceRecord.h"

#include "platform/FileIdentity.h"
#include "platform/FileReplacement.h"
#include "platform/ProcessTable.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>

namespace {

// Far above what the longest batch records (a few lines per tool run); a
// larger file is no record of ours and is not read.
constexpr qint64 kMaxRecordBytes = 64 * 1024 * 1024;

enum class Durability { Buffered, Synced };

void append(const QString &path, const QJsonObject &entry, Durability durability)
{
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write(QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n');
    file.close();
    if (durability == Durability::Synced)
        FlushFileToDisk(path);
}

struct RecordedTool {
    qint64 pid = 0;
    quint64 startMark = 0;
    QString name;
};

}  // namespace

WorkspaceRecord::WorkspaceRecord(const QString &workspaceFolder)
    : m_path(workspaceFolder.isEmpty() ? QString() : workspaceFolder + QLatin1Char('/') + fileName())
{
}

void WorkspaceRecord::toolStarted(qint64 pid, const QString &toolName)
{
    const std::optional<quint64> start = ProcessTable::startMark(pid);
    if (!start)
        return;  // already ended: nothing to end later
    append(m_path,
           {{QStringLiteral("tool"), QString::number(pid)},
            {QStringLiteral("start"), QString::number(*start)},
            {QStringLiteral("name"), toolName}},
           Durability::Buffered);
}

void WorkspaceRecord::outputStarted(const QString &path)
{
    append(m_path, {{QStringLiteral("writing"), path}, {QStringLiteral("file"), FileIdentity(path)}},
           Durability::Synced);
}

void WorkspaceRecord::outputEnded(const QString &path)
{
    append(m_path, {{QStringLiteral("ended"), path}}, Durability::Buffered);
}

WorkspaceRecord::Leftovers WorkspaceRecord::endLeftWork(const QString &workspaceFolder)
{
    Leftovers leftovers;
    QFile file(workspaceFolder + QLatin1Char('/') + fileName());
    if (!QFileInfo(file.fileName()).isFile() || file.size() > kMaxRecordBytes
        || !file.open(QIODevice::ReadOnly))
        return leftovers;
    QList<RecordedTool> tools;
    QHash<QString, QString> writing;  // path -> identity of the file created
    while (!file.atEnd()) {
        const QJsonObject entry = QJsonDocument::fromJson(file.readLine()).object();
        if (entry.contains(QStringLiteral("tool"))) {
            RecordedTool tool;
            tool.pid = entry.value(QStringLiteral("tool")).toString().toLongLong();
            tool.startMark = entry.value(QStringLiteral("start")).toString().toULongLong();
            tool.name = entry.value(QStringLiteral("name")).toString();
            if (tool.pid > 0 && !tool.name.isEmpty())
                tools.append(tool);
        } else if (entry.contains(QStringLiteral("writing"))) {
            const QString identity = entry.value(QStringLiteral("file")).toString();
            if (!identity.isEmpty())
                writing.insert(entry.value(QStringLiteral("writing")).toString(), identity);
        } else if (entry.contains(QStringLiteral("ended"))) {
            writing.remove(entry.value(QStringLiteral("ended")).toString());
        }
    }
    // The tools first: a file a tool still writes would come back.
    for (const RecordedTool &tool : tools) {
        if (ProcessTable::startMark(tool.pid) != tool.startMark
            || !ProcessTable::namesEqual(ProcessTable::executableName(tool.pid), tool.name))
            continue;
        if (ProcessTable::terminate(tool.pid))
            ++leftovers.toolsEnded;
    }
    for (auto it = writing.cbegin(); it != writing.cend(); ++it) {
        if (FileIdentity(it.key()) == it.value() && QFile::remove(it.key()))
            ++leftovers.filesRemoved;
    }
    return leftovers;
}
