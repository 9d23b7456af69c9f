#include "StoredRar.h"

#include <QtEndian>

namespace {

// CRC-32 as zip and RAR use it (reflected, polynomial 0xEDB88320).
quint32 crc32Of(const QByteArray &data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : data) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

template <typename T>
void put(QByteArray &out, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

// A block: its header CRC (the low 16 bits of the CRC-32 of the rest of the
// header) followed by the header.
QByteArray block(const QByteArray &header)
{
    QByteArray out;
    put<quint16>(out, quint16(crc32Of(header) & 0xFFFF));
    return out + header;
}

}  // namespace

QByteArray StoredRar::archive(const QList<QPair<QString, QByteArray>> &files)
{
    QByteArray out("Rar!\x1a\x07\x00", 7);
    QByteArray main;
    put<quint8>(main, 0x73);    // archive header
    put<quint16>(main, 0);      // flags
    put<quint16>(main, 13);     // header size
    put<quint16>(main, 0);      // reserved
    put<quint32>(main, 0);
    out += block(main);
    for (const auto &[name, data] : files) {
        const QByteArray storedName = QString(name).replace(QLatin1Char('/'), QLatin1Char('\\')).toLatin1();
        QByteArray header;
        put<quint8>(header, 0x74);                               // file header
        put<quint16>(header, 0x8000);                            // data follows the header
        put<quint16>(header, quint16(32 + storedName.size()));   // header size
        put<quint32>(header, quint32(data.size()));              // packed size
        put<quint32>(header, quint32(data.size()));              // unpacked size
        put<quint8>(header, 0);                                  // host: MS-DOS
        put<quint32>(header, crc32Of(data));
        put<quint32>(header, 0x5A210000);                        // DOS time stamp (2025-01-01)
        put<quint8>(header, 20);                                 // version needed: 2.0
        put<quint8>(header, 0x30);                               // method: store
        put<quint16>(header, quint16(storedName.size()));
        put<quint32>(header, 0x20);                              // attributes: archive
        header += storedName;
        out += block(header) + data;
    }
    QByteArray end;
    put<quint8>(end, 0x7B);
    put<quint16>(end, 0x4000);
    put<quint16>(end, 7);
    out += block(end);
    return out;
}
