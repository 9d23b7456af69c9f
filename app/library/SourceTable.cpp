#include "app/library/SourceTable.h"

#include <QDir>

SourceTable::SourceTable(SourceKind kind, QVector<QStringList> rows)
    : m_kind(kind), m_rows(std::move(rows))
{
}

QString SourceTable::cell(int entry, int column) const
{
    if (entry < 1 || entry > m_rows.size())
        return {};
    const QStringList &row = m_rows.at(entry - 1);
    return column >= 0 && column < row.size() ? row.at(column) : QString();
}

QString SourceTable::fullPath(int entry) const
{
    return joinPath(cell(entry, Folder), cell(entry, Name));
}

int SourceTable::columnCount(SourceKind kind)
{
    switch (kind) {
    case SourceKind::Video: return 5;
    case SourceKind::Audio: return 3;
    case SourceKind::Picture: return 4;
    }
    return 0;
}

QStringList SourceTable::headers(SourceKind kind)
{
    switch (kind) {
    case SourceKind::Video:
        return {QStringLiteral("视频文件名"), QStringLiteral("路径"), QStringLiteral("宽"),
                QStringLiteral("高"), QStringLiteral("时长/秒")};
    case SourceKind::Audio:
        return {QStringLiteral("音频文件名"), QStringLiteral("路径"), QStringLiteral("时长/秒")};
    case SourceKind::Picture:
        return {QStringLiteral("图片文件名"), QStringLiteral("路径"), QStringLiteral("宽"),
                QStringLiteral("高")};
    }
    return {};
}

QVector<int> SourceTable::columnWidthsTwips(SourceKind kind)
{
    switch (kind) {
    case SourceKind::Video: return {4000, 1600, 800, 800, 800};
    case SourceKind::Audio: return {2200, 1200, 800};
    case SourceKind::Picture: return {2000, 1200, 700, 700};
    }
    return {};
}

QString SourceTable::joinPath(const QString &folder, const QString &name)
{
    if (folder.isEmpty())
        return name;
    // The folder cell never ends in a separator, except a filesystem root.
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder + name;
    return folder + QDir::separator() + name;
}
