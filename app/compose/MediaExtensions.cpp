#include "app/compose/MediaExtensions.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

QString MediaExtensions::extensionOf(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

namespace {
// The source's own extension when the tool can write it, else the fallback.
QString writableExtension(const QString &sourcePath, const QSet<QString> &writable, const QString &fallback)
{
    const QString extension = MediaExtensions::extensionOf(sourcePath);
    return writable.contains(extension.toLower()) ? extension : fallback;
}
}  // namespace

QString MediaExtensions::videoCutExtension(const QString &sourcePath)
{
    // Containers the tool writes both as a stream copy of a file of the same
    // kind and as a re-encode with its default codecs (checked with real runs).
    // Others (.rmvb, .rm, .divx, .dat, .ogm, .mpv, .ifo, .3gp without an AMR
    // encoder, ...) are cut into Matroska, which takes any codec.
    static const QSet<QString> writable{
        QStringLiteral(".mp4"), QStringLiteral(".m4v"),  QStringLiteral(".mov"),  QStringLiteral(".mkv"),
        QStringLiteral(".avi"), QStringLiteral(".flv"),  QStringLiteral(".f4v"),  QStringLiteral(".wmv"),
        QStringLiteral(".asf"), QStringLiteral(".mpg"),  QStringLiteral(".mpeg"), QStringLiteral(".vob"),
        QStringLiteral(".ts"),  QStringLiteral(".m2ts"), QStringLiteral(".mts"),  QStringLiteral(".webm"),
        QStringLiteral(".ogv")};
    return writableExtension(sourcePath, writable, QStringLiteral(".mkv"));
}

QString MediaExtensions::audioCutExtension(const QString &sourcePath)
{
    static const QSet<QString> writable{
        QStringLiteral(".mp3"), QStringLiteral(".wav"), QStringLiteral(".m4a"),  QStringLiteral(".aac"),
        QStringLiteral(".wma"), QStringLiteral(".ogg"), QStringLiteral(".oga"),  QStringLiteral(".flac"),
        QStringLiteral(".ac3"), QStringLiteral(".mka"), QStringLiteral(".opus"), QStringLiteral(".aiff"),
        QStringLiteral(".aif"), QStringLiteral(".mp2"), QStringLiteral(".au"),   QStringLiteral(".caf"),
        QStringLiteral(".wv")};
    return writableExtension(sourcePath, writable, QStringLiteral(".mka"));
}

bool MediaExtensions::encodesH264(const QString &extension)
{
    static const QSet<QString> h264{QStringLiteral(".mp4"), QStringLiteral(".m4v"), QStringLiteral(".mov"),
                                    QStringLiteral(".mkv"), QStringLiteral(".f4v")};
    QString key = extension.toLower();
    if (!key.startsWith(QLatin1Char('.')))
        key.prepend(QLatin1Char('.'));
    return h264.contains(key);
}

QStringList MediaExtensions::inputSeek(const QString &startText, const QString &sourcePath)
{
    // The tool's FLV reader cannot seek to the very start: "-ss 0" on an FLV
    // input drops the picture. Reading from the start needs no seek at all.
    const QString extension = extensionOf(sourcePath).toLower();
    if (startText == QLatin1String("0")
        && (extension == QLatin1String(".flv") || extension == QLatin1String(".f4v")))
        return {};
    return {QStringLiteral("-ss"), startText};
}

bool MediaExtensions::needsEvenSize(const QString &extension)
{
    return encodesH264(extension);
}

QSize MediaExtensions::encodableSize(QSize frame, const QString &extension)
{
    if (!needsEvenSize(extension))
        return frame;
    return {frame.width() + (frame.width() & 1), frame.height() + (frame.height() & 1)};
}

QStringList MediaExtensions::evenFrameFor(const QString &extension)
{
    if (!needsEvenSize(extension))
        return {};
    return {QStringLiteral("-vf"), QStringLiteral("pad=ceil(iw/2)*2:ceil(ih/2)*2")};
}

QStringList MediaExtensions::pixelFormatFor(const QString &extension)
{
    if (!encodesH264(extension))
        return {};
    return {QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p")};
}

QString MediaExtensions::jpegSeriesPattern(const QString &folder)
{
    return QString(folder).replace(QLatin1Char('%'), QStringLiteral("%%")) + QDir::separator()
           + QStringLiteral("%06d.jpg");
}
