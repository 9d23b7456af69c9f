#pragma once

// Writes small RAR archives (RAR 4 format, every file stored uncompressed) for
// the update tests: Debian packages no RAR writer, and bsdtar reads these.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QtEndian>

namespace StoredRar {

inline quint32 crc32Of(const QByteArray &data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : data) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// Little-endian fields of the given byte widths.
inline QByteArray fields(std::initializer_list<std::pair<int, quint32>> values)
{
    QByteArray out;
    for (const auto &[width, value] : values)
        for (int i = 0; i < width; ++i)
            out.append(char((value >> (8 * i)) & 0xFF));
    return out;
}

// A block: the low 16 bits of the header's CRC-32, then the header.
inline QByteArray block(const QByteArray &header)
{
    return fields({{2, crc32Of(header) & 0xFFFF}}) + header;
}

// Entry names use "/" between folders (stored as "\"). A Unix mode
// (0755) makes the entries Unix files with that mode; without one they are
// MS-DOS files.
inline QByteArray archive(const QList<QPair<QString, QByteArray>> &files, quint32 unixMode = 0)
{
    QByteArray out =
        QByteArray("Rar!\x1a\x07\x00", 7) + block(fields({{1, 0x73}, {2, 0}, {2, 13}, {2, 0}, {4, 0}}));
    for (const auto &[name, data] : files) {
        const QByteArray stored = QString(name).replace(QLatin1Char('/'), QLatin1Char('\\')).toLatin1();
        const quint32 size = quint32(data.size());
        // file header with data: sizes, host (MS-DOS or Unix), CRC, 2025-01-01, version 2.0, stored, name,
        // attributes
        const quint32 host = unixMode ? 3 : 0;
        const quint32 attributes = unixMode ? 0100000 | unixMode : 0x20;
        out += block(fields({{1, 0x74},
                             {2, 0x8000},
                             {2, quint32(32 + stored.size())},
                             {4, size},
                             {4, size},
                             {1, host},
                             {4, crc32Of(data)},
                             {4, 0x5A210000},
                             {1, 20},
                             {1, 0x30},
                             {2, quint32(stored.size())},
                             {4, attributes}})
                     + stored)
               + data;
    }
    return out + block(fields({{1, 0x7B}, {2, 0x4000}, {2, 7}}));
}

}  // namespace StoredRar
