#include "platform/RarTool.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>

#include <zlib.h>

#ifdef _WIN32
#include <QSettings>
#endif

QString RarTool::locate()
{
#ifdef _WIN32
    // The App Paths key's default value names WinRAR.exe with its full path.
    QSettings appPath(
        QStringLiteral(
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\WinRAR.exe"),
        QSettings::NativeFormat);
    return appPath.value(QStringLiteral("Default")).toString().trimmed();
#else
    return QStandardPaths::findExecutable(QStringLiteral("bsdtar"));
#endif
}

QString RarTool::locateWithAlternative()
{
    const QString tool = locate();
#ifdef _WIN32
    if (tool.isEmpty()) {
        QSettings appPath(
            QStringLiteral(
                "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\HaoZipC.exe"),
            QSettings::NativeFormat);
        return appPath.value(QStringLiteral("Default")).toString().trimmed();
    }
#endif
    return tool;
}

QStringList RarTool::extractArguments(const QString &archivePath, const QString &destinationFolder)
{
#ifdef _WIN32
    return {QStringLiteral("x"), QStringLiteral("-y"), QDir::toNativeSeparators(archivePath),
            QDir::toNativeSeparators(destinationFolder)};
#else
    // The files belong to whoever runs the update, never to the archive's owners.
    return {QStringLiteral("-x"), QStringLiteral("--no-same-owner"),
            QStringLiteral("-f"), archivePath,
            QStringLiteral("-C"), destinationFolder};
#endif
}

RarTool::Installation RarTool::installation()
{
#ifdef _WIN32
    return Installation::Installer;
#else
    return Installation::SystemPackage;
#endif
}

std::optional<QStringList> RarTool::listEntries(const QString &toolPath, const QString &archivePath,
                                                int timeLimitMilliseconds)
{
    if (toolPath.isEmpty() || !QFileInfo(archivePath).isFile())
        return std::nullopt;
    QProcess process;
#ifdef _WIN32
    // WinRAR.exe itself prints nothing; its console companion lists bare names.
    process.setProgram(QFileInfo(toolPath).absolutePath() + QStringLiteral("/UnRAR.exe"));
    process.setArguments({QStringLiteral("lb"), QStringLiteral("--"), archivePath});
#else
    process.setProgram(toolPath);
    process.setArguments({QStringLiteral("-t"), QStringLiteral("-f"), archivePath});
#endif
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForFinished(timeLimitMilliseconds)) {
        process.kill();
        process.waitForFinished(5000);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    QStringList entries;
#ifdef _WIN32
    const QString text = QString::fromLocal8Bit(process.readAllStandardOutput());
#else
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
#endif
    for (QString line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!line.isEmpty())
            entries.append(line);
    }
    return entries;
}

namespace {

constexpr int MaximumEntries = 100000;

enum BlockType : quint8 { MainHeader = 0x73, FileHeader = 0x74, NewSubHeader = 0x7A, EndOfArchive = 0x7B };
enum : quint16 {
    MainVolume = 0x0001,
    MainEncryptedHeaders = 0x0080,
    FileSplitBefore = 0x0001,
    FileSplitAfter = 0x0002,
    FileEncrypted = 0x0004,
    FileFolderMask = 0x00E0,
    FileLarge = 0x0100,
    HasAddedData = 0x8000,
};

quint32 crcOf(const char *data, qint64 size, quint32 crc = 0)
{
    return quint32(::crc32(crc, reinterpret_cast<const Bytef *>(data), uInt(size)));
}

}  // namespace

std::optional<QList<RarEntry>> RarTool::readEntries(const QString &archivePath)
{
    QFile file(archivePath);
    if (!file.open(QIODevice::ReadOnly) || file.read(7) != QByteArray("Rar!\x1a\x07\x00", 7))
        return std::nullopt;
    const qint64 fileSize = file.size();
    QList<RarEntry> entries;
    for (;;) {
        const qint64 blockStart = file.pos();
        const QByteArray fixed = file.read(7);
        if (fixed.size() < 7)
            return std::nullopt;  // cut before the end-of-archive block
        const auto *bytes = reinterpret_cast<const uchar *>(fixed.constData());
        const quint8 type = bytes[2];
        const quint16 flags = qFromLittleEndian<quint16>(bytes + 3);
        const quint16 headerSize = qFromLittleEndian<quint16>(bytes + 5);
        if (headerSize < 7)
            return std::nullopt;
        const QByteArray header = fixed + file.read(headerSize - 7);
        if (header.size() != headerSize
            || (crcOf(header.constData() + 2, headerSize - 2) & 0xFFFF) != qFromLittleEndian<quint16>(bytes))
            return std::nullopt;
        const auto *h = reinterpret_cast<const uchar *>(header.constData());
        quint64 dataSize = 0;
        if (type == FileHeader || type == NewSubHeader) {
            if (headerSize < 32 || ((flags & FileLarge) && headerSize < 40))
                return std::nullopt;
            dataSize = qFromLittleEndian<quint32>(h + 7);
            quint64 unpackedSize = qFromLittleEndian<quint32>(h + 11);
            if (flags & FileLarge) {
                dataSize |= quint64(qFromLittleEndian<quint32>(h + 32)) << 32;
                unpackedSize |= quint64(qFromLittleEndian<quint32>(h + 36)) << 32;
            }
            if (type == FileHeader) {
                if (flags & (FileSplitBefore | FileSplitAfter | FileEncrypted)
                    || entries.size() >= MaximumEntries)
                    return std::nullopt;
                RarEntry entry;
                entry.folder = (flags & FileFolderMask) == FileFolderMask;
                entry.unpackedSize = entry.folder ? 0 : unpackedSize;
                entry.crc32 = qFromLittleEndian<quint32>(h + 16);
                entries.append(entry);
            }
        } else if (type == MainHeader) {
            if (flags & (MainVolume | MainEncryptedHeaders))
                return std::nullopt;
        } else if (type == EndOfArchive) {
            return entries;
        } else if (flags & HasAddedData) {
            if (headerSize < 11)
                return std::nullopt;
            dataSize = qFromLittleEndian<quint32>(h + 7);
        }
        const quint64 next = quint64(blockStart) + headerSize + dataSize;
        if (next > quint64(fileSize) || !file.seek(qint64(next)))
            return std::nullopt;
    }
}

bool RarTool::verifyData(const QString &toolPath, const QString &archivePath, int timeLimitMilliseconds)
{
    const std::optional<QList<RarEntry>> entries = readEntries(archivePath);
    const std::optional<QStringList> listed = listEntries(toolPath, archivePath, timeLimitMilliseconds);
    if (!entries || !listed || listed->size() != entries->size())
        return false;
    QDeadlineTimer deadline(timeLimitMilliseconds);
    QProcess process;
#ifdef _WIN32
    // The console companion tests every entry against its checksum itself.
    process.start(QFileInfo(toolPath).absolutePath() + QStringLiteral("/UnRAR.exe"),
                  {QStringLiteral("t"), QStringLiteral("-y"), QStringLiteral("--"), archivePath});
    process.closeWriteChannel();
    if (!process.waitForFinished(int(deadline.remainingTime()))) {
        process.kill();
        process.waitForFinished(5000);
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
#else
    // The tool writes every entry's data, in archive order, to its output;
    // each piece is checked as it streams by, so nothing lands on disk.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(toolPath, {QStringLiteral("-x"), QStringLiteral("-O"), QStringLiteral("-f"), archivePath});
    int index = 0;
    quint64 remaining = 0;
    quint32 crc = 0;
    bool matches = true;
    const auto nextFile = [&] {
        // Folders and empty files bring no data.
        while (index < entries->size() && (*entries)[index].unpackedSize == 0) {
            matches = matches && ((*entries)[index].folder || (*entries)[index].crc32 == 0);
            ++index;
        }
        remaining = index < entries->size() ? (*entries)[index].unpackedSize : 0;
        crc = 0;
    };
    nextFile();
    const auto consume = [&](const QByteArray &data) {
        qint64 offset = 0;
        while (offset < data.size()) {
            if (index >= entries->size()) {
                matches = false;  // more data than the headers announce
                return;
            }
            const qint64 piece = qint64(qMin<quint64>(remaining, quint64(data.size() - offset)));
            crc = crcOf(data.constData() + offset, piece, crc);
            offset += piece;
            remaining -= quint64(piece);
            if (remaining == 0) {
                matches = matches && crc == (*entries)[index].crc32;
                ++index;
                nextFile();
            }
        }
    };
    while (process.state() != QProcess::NotRunning || process.bytesAvailable() > 0) {
        if (deadline.hasExpired()) {
            process.kill();
            process.waitForFinished(5000);
            return false;
        }
        if (process.bytesAvailable() == 0)
            process.waitForReadyRead(100);
        consume(process.read(256 * 1024));
        process.readAllStandardError();
    }
    nextFile();
    return matches && index == entries->size() && process.exitStatus() == QProcess::NormalExit
           && process.exitCode() == 0;
#endif
}
