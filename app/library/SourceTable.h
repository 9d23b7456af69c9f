#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

enum class SourceKind { Video = 0, Audio = 1, Picture = 2 };

// Plain view of one source list: rows of text cells, without the header row.
// Entries are numbered from 1 as in the grid (entry 1 is the first data row).
// Video rows: name, folder, width, height, duration; audio rows: name, folder,
// duration; picture rows: name, folder, width, height.
class SourceTable {
public:
    enum VideoColumn { Name = 0, Folder = 1, Width = 2, Height = 3, Duration = 4 };
    enum AudioColumn { AudioDuration = 2 };

    SourceTable() = default;
    explicit SourceTable(SourceKind kind, QVector<QStringList> rows = {});

    SourceKind kind() const { return m_kind; }
    int entryCount() const { return int(m_rows.size()); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    const QVector<QStringList> &rows() const { return m_rows; }
    void append(const QStringList &cells) { m_rows.append(cells); }

    // Cell of a 1-based entry; empty text when out of range.
    QString cell(int entry, int column) const;
    // Folder + separator + file name of a 1-based entry.
    QString fullPath(int entry) const;

    static int columnCount(SourceKind kind);
    static QStringList headers(SourceKind kind);
    // Initial column widths in twips.
    static QVector<int> columnWidthsTwips(SourceKind kind);
    static QString joinPath(const QString &folder, const QString &name);

private:
    SourceKind m_kind = SourceKind::Video;
    QVector<QStringList> m_rows;
};
