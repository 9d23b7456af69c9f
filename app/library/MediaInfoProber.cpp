#include "app/library/MediaInfoProber.h"

#include "app/base/NumberText.h"
#include "platform/Utf8Locale.h"

#include <MediaInfo/MediaInfo.h>

#include <QFileInfo>
#include <QImageReader>

#include <cmath>
#include <limits>
#include <mutex>

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

String toMediaInfo(const char *text)
{
    return toMediaInfo(QString::fromLatin1(text));
}

// Quick: what the container's headers say, the library's fastest parse,
// which gives the same durations and sizes as its default parse on every
// kind of file tried. Full: the whole file, for streams whose headers hold
// no duration (raw AAC).
enum class ParseDepth { Quick, Full };

// Opens a file for one probe and closes it when done, whatever happens.
class OpenedMedia {
public:
    OpenedMedia(const QString &path, ParseDepth depth)
    {
        // MediaInfoLib refuses directories and hangs on nothing else; an empty
        // file has nothing to report.
        const QFileInfo info(path);
        if (!info.isFile() || info.size() <= 0)
            return;
        m_info.Option(toMediaInfo("File_ParseSpeed"), toMediaInfo(depth == ParseDepth::Quick ? "0" : "1"));
        // Neither look for numbered neighbours of the file ("clip 0001.png"
        // as part of an image sequence) nor for disc structures in its
        // folder: a list entry is always the one file.
        m_info.Option(toMediaInfo("File_TestContinuousFileNames"), toMediaInfo("0"));
        m_info.Option(toMediaInfo("File_TestDirectory"), toMediaInfo("0"));
        m_open = m_info.Open(toMediaInfo(path)) != 0;
    }
    ~OpenedMedia() { m_info.Close(); }
    bool isOpen() const { return m_open; }

    QString field(stream_t kind, size_t number, const char *name)
    {
        return fromMediaInfo(m_info.Get(kind, number, toMediaInfo(name)));
    }
    size_t streamCount(stream_t kind) { return m_info.Count_Get(kind); }
    bool hasAudioOrVideo() { return streamCount(Stream_Video) + streamCount(Stream_Audio) > 0; }

private:
    MediaInfo m_info;
    bool m_open = false;
};

std::optional<double> number(const QString &text)
{
    // Values come as C-locale decimals, sometimes with a sub-millisecond
    // fraction ("4520.000000"); a list such as "4520 / 4520" keeps the first.
    const QString first = text.section(QLatin1Char('/'), 0, 0).trimmed();
    bool ok = false;
    const double value = first.toDouble(&ok);  // QString::toDouble is locale independent
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> positiveNumber(const QString &text)
{
    const std::optional<double> value = number(text);
    if (!value || !(*value > 0))
        return std::nullopt;
    return value;
}

// A container may list its audio before its video; the length of a video
// file is that of its picture.
std::optional<double> durationMs(OpenedMedia &media)
{
    for (stream_t kind : {Stream_Video, Stream_Audio}) {
        if (media.streamCount(kind) == 0)
            continue;
        if (const auto duration = positiveNumber(media.field(kind, 0, "Duration")))
            return duration;
    }
    if (!media.hasAudioOrVideo())
        return std::nullopt;  // a picture or a document has no length
    return positiveNumber(media.field(Stream_General, 0, "Duration"));
}

// Phone videos are stored sideways with a rotation the players (and the
// tool) apply; the size that counts is the one shown.
bool turnedSideways(OpenedMedia &media)
{
    const std::optional<double> degrees = number(media.field(Stream_Video, 0, "Rotation"));
    if (!degrees)
        return false;
    return std::abs(std::fmod(std::abs(*degrees), 180.0) - 90.0) < 1.0;
}

// Photos are stored as the camera was held, with an orientation tag that
// viewers (and the painting modes) turn them by: orientations 5 to 8 turn
// them a quarter.
bool pictureTurnedSideways(const QString &path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
}

std::optional<QSize> frameSize(OpenedMedia &media, const QString &path)
{
    for (stream_t kind : {Stream_Video, Stream_Image}) {
        if (media.streamCount(kind) == 0)
            continue;
        const auto width = positiveNumber(media.field(kind, 0, "Width"));
        const auto height = positiveNumber(media.field(kind, 0, "Height"));
        if (!width || !height)
            continue;
        const QSize stored{int(*width), int(*height)};
        const bool sideways = kind == Stream_Video ? turnedSideways(media) : pictureTurnedSideways(path);
        return sideways ? stored.transposed() : stored;
    }
    // The library names some picture formats (WebP) without reading their
    // size; the image reader knows them.
    if (media.streamCount(Stream_Image) > 0) {
        const QSize size = QImageReader(path).size();
        if (size.isValid() && !size.isEmpty())
            return pictureTurnedSideways(path) ? size.transposed() : size;
    }
    return std::nullopt;
}

void useQuickReports()
{
    // The readable forms of every field ("1 min 30 s", "1 920 pixels") are
    // never read here; not making them halves the time of a probe. The
    // option is the library's own, for every handle of the process.
    static std::once_flag once;
    std::call_once(once, [] { MediaInfo::Option_Static(toMediaInfo("ReadByHuman"), toMediaInfo("0")); });
}

}  // namespace

MediaInfoProber::MediaInfoProber()
{
    // The library converts file names with the character-type locale.
    EnsureUtf8CharacterLocale();
    useQuickReports();
}

std::optional<double> MediaInfoProber::probeDuration(const QString &path)
{
    return probeFile(path, SourceKind::Audio).durationSeconds;
}

std::optional<QSize> MediaInfoProber::probeFrameSize(const QString &path)
{
    return probeFile(path, SourceKind::Picture).frameSize;
}

MediaFacts MediaInfoProber::probeFile(const QString &path, SourceKind kind)
{
    MediaFacts facts;
    const bool wantsDuration = kind != SourceKind::Picture;
    std::optional<double> milliseconds;
    bool readWholeFile = false;
    {
        OpenedMedia media(path, ParseDepth::Quick);
        if (!media.isOpen())
            return facts;
        if (wantsDuration)
            milliseconds = durationMs(media);
        if (kind != SourceKind::Audio)
            facts.frameSize = frameSize(media, path);
        readWholeFile = wantsDuration && !milliseconds && media.hasAudioOrVideo();
    }
    if (readWholeFile) {
        OpenedMedia full(path, ParseDepth::Full);
        if (full.isOpen())
            milliseconds = durationMs(full);
    }
    if (milliseconds)
        facts.durationSeconds = RoundHalfEven(*milliseconds / 1000.0, 3);
    return facts;
}

std::optional<ConstantFrameRate> MediaInfoProber::probeConstantFrameRate(const QString &path)
{
    OpenedMedia media(path, ParseDepth::Quick);
    if (!media.isOpen() || media.streamCount(Stream_Video) == 0)
        return std::nullopt;
    // AVI names no mode: its frames are all of one length.
    const QString mode = media.field(Stream_Video, 0, "FrameRate_Mode");
    if (!mode.isEmpty() && mode != QLatin1String("CFR"))
        return std::nullopt;
    bool numeratorRead = false;
    bool denominatorRead = false;
    const int numerator = media.field(Stream_Video, 0, "FrameRate_Num").toInt(&numeratorRead);
    const int denominator = media.field(Stream_Video, 0, "FrameRate_Den").toInt(&denominatorRead);
    if (!numeratorRead || !denominatorRead || numerator <= 0 || denominator <= 0)
        return std::nullopt;
    return ConstantFrameRate{numerator, denominator};
}
