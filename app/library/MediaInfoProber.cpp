#include "app/library/MediaInfoProber.h"

#include "app/run/NumberText.h"
#include "platform/Utf8Locale.h"

#include <MediaInfo/MediaInfo.h>

#include <QFileInfo>

#include <limits>
#include <memory>

using namespace MediaInfoLib;

namespace {

QString fromMediaInfo(const String &text)
{
    return QString::fromStdWString(text).trimmed();
}

String toMediaInfo(const QString &text)
{
    return text.toStdWString();
}

// Opens a file for one probe and closes it when done, whatever happens.
class OpenedMedia {
public:
    explicit OpenedMedia(const QString &path)
    {
        // MediaInfoLib refuses directories and hangs on nothing else; an empty
        // file has nothing to report.
        const QFileInfo info(path);
        if (info.isFile() && info.size() > 0)
            m_open = m_info.Open(toMediaInfo(path)) != 0;
    }
    ~OpenedMedia() { m_info.Close(); }
    bool isOpen() const { return m_open; }

    QString field(stream_t kind, size_t number, const char *name)
    {
        return fromMediaInfo(m_info.Get(kind, number, toMediaInfo(QString::fromLatin1(name))));
    }
    size_t streamCount(stream_t kind) { return m_info.Count_Get(kind); }

private:
    MediaInfo m_info;
    bool m_open = false;
};

std::optional<double> positiveNumber(const QString &text)
{
    // Values come as C-locale decimals, sometimes with a sub-millisecond
    // fraction ("4520.000000"); a list such as "4520 / 4520" keeps the first.
    const QString first = text.section(QLatin1Char('/'), 0, 0).trimmed();
    bool ok = false;
    const double value = first.toDouble(&ok);  // QString::toDouble is locale independent
    if (!ok || !(value > 0) || value == std::numeric_limits<double>::infinity())
        return std::nullopt;
    return value;
}

// The stream the container lists first (lowest StreamOrder) among the kinds that
// carry a duration; MediaInfo groups streams by kind, the container may not.
std::optional<double> firstStreamDurationMs(OpenedMedia &media)
{
    const stream_t kinds[] = {Stream_Video, Stream_Audio, Stream_Text, Stream_Other, Stream_Image};
    std::optional<double> best;
    double bestOrder = std::numeric_limits<double>::max();
    for (stream_t kind : kinds) {
        const size_t count = media.streamCount(kind);
        for (size_t i = 0; i < count; ++i) {
            const auto duration = positiveNumber(media.field(kind, i, "Duration"));
            if (!duration)
                continue;
            // StreamOrder is "0", "1", or "0-1" for nested streams.
            QString orderText = media.field(kind, i, "StreamOrder");
            orderText = orderText.section(QLatin1Char('-'), -1);
            bool ok = false;
            double order = orderText.toDouble(&ok);
            if (!ok)
                order = 1e9 + double(kind) * 1e3 + double(i);  // unordered: report order
            if (order < bestOrder) {
                bestOrder = order;
                best = duration;
            }
        }
    }
    return best;
}

}  // namespace

QString MediaProber::durationText(double seconds)
{
    return NumberText(RoundHalfEven(seconds, 3));
}

MediaInfoProber::MediaInfoProber()
{
    // The library converts file names with the character-type locale.
    EnsureUtf8CharacterLocale();
}

std::optional<double> MediaInfoProber::probeDuration(const QString &path)
{
    OpenedMedia media(path);
    if (!media.isOpen())
        return std::nullopt;
    std::optional<double> milliseconds = firstStreamDurationMs(media);
    if (!milliseconds && (media.streamCount(Stream_Video) + media.streamCount(Stream_Audio)) > 0)
        milliseconds = positiveNumber(media.field(Stream_General, 0, "Duration"));
    if (!milliseconds)
        return std::nullopt;
    return RoundHalfEven(*milliseconds / 1000.0, 3);
}

std::optional<QSize> MediaInfoProber::probeFrameSize(const QString &path)
{
    OpenedMedia media(path);
    if (!media.isOpen())
        return std::nullopt;
    for (stream_t kind : {Stream_Video, Stream_Image}) {
        if (media.streamCount(kind) == 0)
            continue;
        const auto width = positiveNumber(media.field(kind, 0, "Width"));
        const auto height = positiveNumber(media.field(kind, 0, "Height"));
        if (width && height)
            return QSize(int(*width), int(*height));
    }
    return std::nullopt;
}
