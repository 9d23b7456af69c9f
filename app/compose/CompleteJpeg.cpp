#include "app/compose/CompleteJpeg.h"

#include <QFile>

#include <cstring>

namespace {

// Reads a file byte by byte through a buffer; false once the file has ended.
class ByteReader {
public:
    explicit ByteReader(QFile &file) : m_file(file) {}

    bool next(uchar &byte)
    {
        if (m_at == m_buffer.size() && !refill())
            return false;
        byte = uchar(m_buffer.at(m_at++));
        return true;
    }
    bool skip(qint64 count)
    {
        const qint64 buffered = qMin<qint64>(count, m_buffer.size() - m_at);
        m_at += int(buffered);
        count -= buffered;
        if (count == 0)
            return true;
        const qint64 target = m_file.pos() + count;
        if (target > m_file.size())
            return false;
        m_buffer.clear();
        m_at = 0;
        return m_file.seek(target);
    }
    // The code of a marker whose 0xFF was read, past any 0xFF fill bytes.
    bool nextCode(uchar &code)
    {
        do {
            if (!next(code))
                return false;
        } while (code == 0xFF);
        return true;
    }
    // Moves past the next 0xFF byte; false at the end of the file.
    bool nextFF()
    {
        for (;;) {
            const char *data = m_buffer.constData() + m_at;
            const void *found = std::memchr(data, 0xFF, size_t(m_buffer.size() - m_at));
            if (found) {
                m_at += int(static_cast<const char *>(found) - data) + 1;
                return true;
            }
            if (!refill())
                return false;
        }
    }

private:
    bool refill()
    {
        m_buffer = m_file.read(64 * 1024);
        m_at = 0;
        return !m_buffer.isEmpty();
    }

    QFile &m_file;
    QByteArray m_buffer;
    int m_at = 0;
};

constexpr uchar StartOfImage = 0xD8;
constexpr uchar EndOfImage = 0xD9;
constexpr uchar StartOfScan = 0xDA;

bool standsAlone(uchar marker)
{
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);  // TEM, RST0 to RST7
}

}  // namespace

bool IsCompleteJpeg(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    ByteReader in(file);
    uchar byte = 0;
    if (!in.next(byte) || byte != 0xFF || !in.next(byte) || byte != StartOfImage)
        return false;
    uchar marker = 0;
    bool markerRead = false;  // the marker that ended a scan
    for (;;) {
        // A marker: 0xFF, any number of 0xFF fill bytes, then its code.
        // Stray bytes before it are passed over, as the decoder does.
        if (!markerRead && (!in.nextFF() || !in.nextCode(marker)))
            return false;
        markerRead = false;
        if (marker == EndOfImage)
            return true;
        if (standsAlone(marker))
            continue;
        uchar high = 0;
        uchar low = 0;
        if (!in.next(high) || !in.next(low))
            return false;
        const int length = (high << 8) | low;
        if (length < 2 || !in.skip(length - 2))
            return false;
        if (marker != StartOfScan)
            continue;
        // The coded data of a scan holds 0xFF only stuffed (0xFF 0x00) or in
        // a restart marker; any other marker ends the scan (the end of the
        // picture, or the tables and next scan of a progressive one).
        do {
            if (!in.nextFF() || !in.nextCode(marker))
                return false;
        } while (marker == 0x00 || standsAlone(marker));
        markerRead = true;
    }
}
