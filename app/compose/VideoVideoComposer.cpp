#include "app/compose/VideoVideoComposer.h"

#include "app/compose/RandomSource.h"
#include "app/library/MediaProber.h"
#include "app/run/NumberText.h"
#include "app/run/RunContext.h"
#include "app/run/ToolRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSet>
#include <QStringConverter>
#include <QTextStream>
#include <QVector>

#include <algorithm>
#include <utility>

namespace {

const QString Generating = QStringLiteral("状态：视频生成中...");
const QString GeneratedOk = QStringLiteral("状态：视频生成Ok！");
const QString GenerationFailed = QStringLiteral("状态：视频生成失败！");
const QString AudioPreparing = QStringLiteral("状态：音频预处理中...");

QString quoted(const QString &path)
{
    return QLatin1Char('"') + path + QLatin1Char('"');
}

// A number cell of a list row; empty when the cell holds no number at all.
std::optional<double> cellNumber(const QString &text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<int> cellWholeNumber(const QString &text)
{
    const std::optional<double> value = cellNumber(text);
    if (!value || *value < -2147483648.0 || *value > 2147483647.0)
        return std::nullopt;
    return int(RoundHalfEven(*value));
}

// A random start offset within the part of a source longer than the length
// it is cut to, rounded to milliseconds.
QString randomStartText(double spareSeconds, RandomSource &random)
{
    return NumberText(RoundHalfEven(spareSeconds * random.next(), 3));
}

VideoVideoComposer::AudioRule audioRuleOf(int index)
{
    switch (index) {
    case 1: return VideoVideoComposer::AudioRule::LongestVideo;
    case 2: return VideoVideoComposer::AudioRule::ChosenAudio;
    case 3: return VideoVideoComposer::AudioRule::RandomAudio;
    case 4: return VideoVideoComposer::AudioRule::FixedAudio;
    default: return VideoVideoComposer::AudioRule::FirstVideo;
    }
}

bool usesAudioFile(VideoVideoComposer::AudioRule rule)
{
    using R = VideoVideoComposer::AudioRule;
    return rule == R::ChosenAudio || rule == R::RandomAudio || rule == R::FixedAudio;
}

// A workspace file of an earlier output would otherwise stand in for one
// that a failed step did not make.
void removeStale(const QString &path)
{
    QFile::remove(path);
}

}  // namespace

VideoVideoComposer::VideoVideoComposer(ComposeEnvironment &environment) : m_env(environment) {}

// ---- shared steps ---------------------------------------------------------------

QString VideoVideoComposer::outputPath(const RunSettings &settings, int outputNumber)
{
    return settings.outputFolderText + QDir::separator()
           + QStringLiteral("%1").arg(outputNumber, 4, 10, QLatin1Char('0')) + QLatin1Char('.')
           + settings.outputType;
}

bool VideoVideoComposer::writeConcatList(const QString &listPath, const QStringList &pieces)
{
    QFile file(listPath);
    // A file briefly held by a finishing tool run may refuse the first open.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.close();
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
    }
    QTextStream stream(&file);
    stream.setEncoding(QStringConverter::Utf8);
    for (const QString &piece : pieces)
        stream << "file '" << piece << "'\r\n";
    stream.flush();
    return stream.status() == QTextStream::Ok && file.error() == QFileDevice::NoError;
}

QString VideoVideoComposer::elapsedText(qint64 seconds)
{
    // Shown as a time of day, so a day wraps to 0:00:00.
    const qint64 ofDay = std::max<qint64>(seconds, 0) % 86400;
    return QStringLiteral("%1:%2:%3")
        .arg(ofDay / 3600)
        .arg(ofDay / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(ofDay % 60, 2, 10, QLatin1Char('0'));
}

QString VideoVideoComposer::elapsedText(const QDateTime &since, const QDateTime &now)
{
    return elapsedText(since.secsTo(now));
}

QString VideoVideoComposer::sizeText(const QString &path, const QString &previousText)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return previousText;
    const double megabytes = double(info.size()) / 1024.0 / 1024.0;
    return NumberText(RoundHalfEven(megabytes, 3)) + QStringLiteral("mb");
}

QString VideoVideoComposer::extensionOf(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

namespace {
// The source's own extension when the tool can write it, else the fallback.
QString writableExtension(const QString &sourcePath, const QSet<QString> &writable, const QString &fallback)
{
    const QString extension = VideoVideoComposer::extensionOf(sourcePath);
    return writable.contains(extension.toLower()) ? extension : fallback;
}
}  // namespace

QString VideoVideoComposer::videoCutExtension(const QString &sourcePath)
{
    // Containers the tool writes both as a stream copy of a file of the same
    // kind and as a re-encode with its default codecs (checked with real runs).
    // Others (.rmvb, .rm, .divx, .dat, .ogm, .mpv, .ifo, .3gp without an AMR
    // encoder, ...) are cut into Matroska, which takes any codec.
    static const QSet<QString> writable{
        QStringLiteral(".mp4"), QStringLiteral(".m4v"), QStringLiteral(".mov"),
        QStringLiteral(".mkv"), QStringLiteral(".avi"), QStringLiteral(".flv"),
        QStringLiteral(".f4v"), QStringLiteral(".wmv"), QStringLiteral(".asf"),
        QStringLiteral(".mpg"), QStringLiteral(".mpeg"), QStringLiteral(".vob"),
        QStringLiteral(".ts"), QStringLiteral(".m2ts"), QStringLiteral(".mts"),
        QStringLiteral(".webm"), QStringLiteral(".ogv")};
    return writableExtension(sourcePath, writable, QStringLiteral(".mkv"));
}

QString VideoVideoComposer::inputSeek(const QString &startText, const QString &sourcePath)
{
    // The tool's FLV reader cannot seek to the very start: "-ss 0" on an FLV
    // input drops the picture. Reading from the start needs no seek at all.
    const QString extension = extensionOf(sourcePath).toLower();
    if (startText == QLatin1String("0")
        && (extension == QLatin1String(".flv") || extension == QLatin1String(".f4v")))
        return QString();
    return QStringLiteral("-ss ") + startText + QLatin1Char(' ');
}

QString VideoVideoComposer::audioCutExtension(const QString &sourcePath)
{
    static const QSet<QString> writable{
        QStringLiteral(".mp3"), QStringLiteral(".wav"), QStringLiteral(".m4a"),
        QStringLiteral(".aac"), QStringLiteral(".wma"), QStringLiteral(".ogg"),
        QStringLiteral(".oga"), QStringLiteral(".flac"), QStringLiteral(".ac3"),
        QStringLiteral(".mka"), QStringLiteral(".opus"), QStringLiteral(".aiff"),
        QStringLiteral(".aif"), QStringLiteral(".mp2"), QStringLiteral(".au"),
        QStringLiteral(".caf"), QStringLiteral(".wv")};
    return writableExtension(sourcePath, writable, QStringLiteral(".mka"));
}

bool VideoVideoComposer::encodesH264(const QString &extension)
{
    static const QSet<QString> h264{QStringLiteral(".mp4"), QStringLiteral(".m4v"),
                                    QStringLiteral(".mov"), QStringLiteral(".mkv"),
                                    QStringLiteral(".f4v")};
    QString key = extension.toLower();
    if (!key.startsWith(QLatin1Char('.')))
        key.prepend(QLatin1Char('.'));
    return h264.contains(key);
}

void VideoVideoComposer::orderByWidth(FourSources &sources, LengthRule lengthRule)
{
    // A fixed pass, not a sort: the narrowest ends first, the rest may not be
    // in order (widths 4, 3, 2, 1 end as 1, 4, 2, 3).
    for (int a = 0; a <= 2; ++a)
        for (int b = 1; b <= 3; ++b)
            if (sources[a].width > sources[b].width)
                std::swap(sources[a], sources[b]);
    if (lengthRule == LengthRule::Fixed || lengthRule == LengthRule::LongestVideo)
        std::swap(sources[0], sources[3]);
}

QSize VideoVideoComposer::canvasSize(const FourSources &s)
{
    const int width = std::max(s[0].width + s[3].width, s[1].width + s[2].width);
    const int height = std::max(s[1].height + s[2].height, s[0].height + s[3].height);
    return {width, height};
}

VideoVideoComposer::OverlayPositions
VideoVideoComposer::overlayPositions(const FourSources &s, QSize canvas, Placement placement)
{
    if (placement == Placement::EdgeToEdge)
        return {s[0].width, s[0].height, s[2].width, s[1].height};
    return {canvas.width() - s[1].width, canvas.height() - s[2].height,
            canvas.width() - s[3].width, canvas.height() - s[3].height};
}

std::optional<double> VideoVideoComposer::targetLength(const RunSettings &settings,
                                                       const FourSources &sources,
                                                       double longestSeconds,
                                                       double shortestSeconds,
                                                       RandomSource &random)
{
    switch (LengthRule(settings.lengthRule)) {
    case LengthRule::Fixed: {
        double length = 0;
        if (settings.randomLength) {
            const QStringList range = settings.randomLengthRangeText.split(QLatin1Char('-'));
            if (range.size() < 2)
                return std::nullopt;
            const double minimum = LeadingNumber(range.at(0));
            const double maximum = LeadingNumber(range.at(1));
            length = RoundHalfEven((maximum - minimum) * random.next(), 3) + minimum;
        } else {
            length = LeadingNumber(settings.lengthText);
        }
        return std::min(length, longestSeconds);
    }
    case LengthRule::FirstVideo: return sources[0].durationSeconds;
    case LengthRule::ShortestVideo: return shortestSeconds;
    case LengthRule::LongestVideo: return longestSeconds;
    }
    return std::nullopt;
}

// ---- one output ------------------------------------------------------------------

OutputResult VideoVideoComposer::composeVideoVideo(const QDateTime &outputStart, int outputNumber)
{
    m_outputStart = outputStart;
    m_outputNumber = outputNumber;
    m_sizeText.clear();
    m_outputPath = outputPath(m_env.settings, outputNumber);
    m_env.random.reseed();

    const RunSettings &settings = m_env.settings;
    if (settings.slideShow) {
        // The slide-show variant is not offered yet; the output is left out.
        setStatus(QStringLiteral("状态：幻灯片合成暂不可用，已跳过！"));
        return OutputResult::Skipped;
    }
    if (settings.reuse)
        return composeSameVideo();
    // The precise four-split variant (ChAcc) is not offered yet: it continues
    // with the ordinary four-source cut.
    return composeFourSources();
}

OutputResult VideoVideoComposer::composeSameVideo()
{
    // Read through the reference: a random audio pick rewrites the fixed-audio captions.
    const RunSettings &settings = m_env.settings;
    const int entry = m_outputNumber;
    m_env.context.showVideoEntry(entry);

    const QString source = m_env.videos.fullPath(entry);
    if (source.isEmpty() || !QFileInfo(source).isFile())
        return OutputResult::Skipped;

    const AudioRule rule = audioRuleOf(settings.audioRule);
    if (rule == AudioRule::RandomAudio && !pickRandomAudio())
        return failOutput();

    QString audioInput;
    if (usesAudioFile(rule)) {
        const QString audio = settings.fixedAudioText;
        const double audioSeconds = LeadingNumber(settings.fixedAudioLengthText);
        const std::optional<double> videoSeconds =
            cellNumber(m_env.videos.cell(entry, SourceTable::Duration));
        if (!videoSeconds)
            return failOutput();
        const QString lengthText = NumberText(audioSeconds >= *videoSeconds ? *videoSeconds
                                                                            : audioSeconds);
        QString track;
        if (audioSeconds > *videoSeconds) {
            QString start = QStringLiteral("0");
            if (settings.audioRandomStart)
                start = randomStartText(audioSeconds - *videoSeconds, m_env.random);
            track = workspaceFile(QStringLiteral("Tmp") + audioCutExtension(audio));
            removeStale(track);
            const QString arguments = QStringLiteral("-ss ") + start + QStringLiteral(" -t ")
                                      + lengthText + QStringLiteral(" -i ") + quoted(audio)
                                      + QStringLiteral(" -y -q:a 0  -acodec copy ") + quoted(track);
            if (m_env.runner.runTool(arguments, AudioPreparing, PauseFirst::Yes)
                == ToolRunResult::Stopped)
                return OutputResult::Stopped;
        } else if (!settings.addAudio) {
            track = audio;
        } else {
            // Fill a short audio up with the rest of the video's own sound.
            const QString rest = workspaceFile(QStringLiteral("1.mp3"));
            const QString head = workspaceFile(QStringLiteral("0.mp3"));
            const QString list = workspaceFile(QStringLiteral("List.txt"));
            track = workspaceFile(QStringLiteral("M.mp3"));
            for (const QString &path : {rest, head, track})
                removeStale(path);
            m_env.runner.startTool(QStringLiteral("-ss ") + lengthText + QStringLiteral(" -i ")
                                   + quoted(source)
                                   + QStringLiteral(" -y -q:a 0 -ar 44100 -b:a 192k -ac 2 ") + rest);
            m_env.runner.startTool(QStringLiteral("-i ") + quoted(audio)
                                   + QStringLiteral(" -y -q:a 0 -ar 44100 -b:a 192k -ac 2 ") + head);
            const auto status = [this] { return AudioPreparing + QStringLiteral("；") + timesText(); };
            if (m_env.runner.waitForTool(status, PauseFirst::Yes) == ToolRunResult::Stopped)
                return OutputResult::Stopped;
            // A list that cannot be written leaves M.mp3 missing and the
            // output fails at its check.
            writeConcatList(list, {head, rest});
            const QString arguments = QStringLiteral("-f concat -safe 0 -i ") + list
                                      + QStringLiteral(" -y -q:a 0 -acodec copy ") + track;
            if (m_env.runner.runTool(arguments, AudioPreparing, PauseFirst::No)
                == ToolRunResult::Stopped)
                return OutputResult::Stopped;
            // A video without sound of its own (or none left after the audio's
            // length) has nothing to fill up with: the audio plays as it is.
            const QFileInfo joined(track);
            if (!joined.isFile() || joined.size() == 0)
                track = audio;
        }
        audioInput = QStringLiteral("-i ") + quoted(track) + QLatin1Char(' ');
    }

    QString inputs;
    for (int i = 0; i < 4; ++i)
        inputs += QStringLiteral(" -i ") + quoted(source);
    const QString pixelFormat = encodesH264(settings.outputType) ? QStringLiteral(" -pix_fmt yuv420p")
                                                                 : QString();
    const QString encode = QStringLiteral(" -y -q:v 0 -q:a 0") + pixelFormat + QLatin1Char(' ')
                           + quoted(m_outputPath);
    QString arguments;
    if (audioInput.isEmpty()) {
        arguments = inputs
                    + QStringLiteral(" -filter_complex \"[0:v]pad=iw*2:ih*2[a];[a][1:v]overlay=w[b];"
                                     "[b][2:v]overlay=0:h[c];[c][3:v]overlay=w:h\"")
                    + encode;
    } else {
        // The track is mapped by hand, or the default selection could prefer
        // the video's own sound; the filter's unlabeled output is still mapped.
        arguments = audioInput + inputs
                    + QStringLiteral(" -filter_complex \"[1:v]pad=iw*2:ih*2[a];[a][2:v]overlay=w[b];"
                                     "[b][3:v]overlay=0:h[c];[c][4:v]overlay=w:h\" -map 0:a")
                    + encode;
    }
    return runFinalComposition(arguments);
}

std::optional<VideoVideoComposer::FourSources>
VideoVideoComposer::drawSources(double &longestSeconds, double &shortestSeconds)
{
    const int drawCount = 4;
    setStatus(QStringLiteral("状态：视频源随机抽取中...0/") + QString::number(drawCount));

    // The pool of entries not drawn yet, so no video is drawn twice for one output.
    QVector<int> pool;
    for (int entry = 1; entry <= m_env.videos.entryCount(); ++entry)
        pool.append(entry);

    FourSources sources;
    longestSeconds = 0;
    shortestSeconds = 10000;
    for (int j = 1; j <= drawCount; ++j) {
        m_env.random.reseed();
        if (pool.isEmpty())
            return std::nullopt;
        const int index = int(RoundHalfEven(m_env.random.next() * double(pool.size() - 1)));
        if (index < 0 || index >= pool.size())
            return std::nullopt;
        const int entry = pool.at(index);
        const std::optional<int> width = cellWholeNumber(m_env.videos.cell(entry, SourceTable::Width));
        const std::optional<int> height = cellWholeNumber(m_env.videos.cell(entry, SourceTable::Height));
        const std::optional<double> duration = cellNumber(m_env.videos.cell(entry, SourceTable::Duration));
        if (!width || !height || !duration)
            return std::nullopt;
        ChosenSource &chosen = sources[j - 1];
        chosen = {m_env.videos.fullPath(entry), *width, *height, *duration};
        if (chosen.durationSeconds > longestSeconds)
            longestSeconds = chosen.durationSeconds;
        if (chosen.durationSeconds < shortestSeconds)
            shortestSeconds = chosen.durationSeconds;
        pool.removeAt(index);
        m_env.context.pumpEvents();
        setStatus(QStringLiteral("状态：视频源随机抽取中...") + QString::number(j) + QLatin1Char('/')
                  + QString::number(drawCount));
    }
    return sources;
}

OutputResult VideoVideoComposer::composeFourSources()
{
    const RunSettings &settings = m_env.settings;
    double longest = 0;
    double shortest = 0;
    std::optional<FourSources> drawn = drawSources(longest, shortest);
    if (!drawn)
        return failOutput();
    FourSources &sources = *drawn;
    setStatus(QStringLiteral("状态：已抽取视频源预处理中..."));
    for (const ChosenSource &source : sources) {
        // A source that is gone would fail its cut and leave the clip of an
        // earlier output in its place.
        if (!QFileInfo(source.path).isFile())
            return failOutput();
    }

    orderByWidth(sources, LengthRule(settings.lengthRule));
    const QSize canvas = canvasSize(sources);
    const std::optional<double> target = targetLength(settings, sources, longest, shortest,
                                                      m_env.random);
    if (!target)
        return failOutput();
    const QString lengthText = NumberText(*target);

    // Cut each source to the common length; the four cuts run side by side.
    const bool reEncode = settings.preciseCut;
    const QString extractedAudio = workspaceFile(QStringLiteral("Audio.mp3"));
    double longestSoFar = 0;
    bool cutFound = false;
    QString audioCommand;
    QStringList clips;
    for (int k = 0; k < 4; ++k) {
        const ChosenSource &source = sources[k];
        setStatus(QStringLiteral("状态：视频时长归一化中...") + QString::number(k + 1)
                  + QStringLiteral("/4"));
        QString start = QStringLiteral("0");
        if (source.durationSeconds <= *target) {
            if (source.durationSeconds > longestSoFar) {
                longestSoFar = source.durationSeconds;
                audioCommand = inputSeek(QStringLiteral("0"), source.path) + QStringLiteral("-t ")
                               + lengthText + QStringLiteral(" -i ") + quoted(source.path)
                               + QStringLiteral(" -y -q:a 0 ") + extractedAudio;
            }
        } else {
            start = randomStartText(source.durationSeconds - *target, m_env.random);
            if (!cutFound) {
                cutFound = true;
                longestSoFar = source.durationSeconds;
                // Re-encoded in both cut modes: a stream copy of a sound that
                // is not MP3 cannot be written into Audio.mp3.
                audioCommand = inputSeek(start, source.path) + QStringLiteral("-t ") + lengthText
                               + QStringLiteral(" -i ") + quoted(source.path)
                               + QStringLiteral(" -y  -q:a 0   ") + extractedAudio;
            }
        }
        const QString extension = videoCutExtension(source.path);
        const QString clip = workspaceFile(QString::number(k) + extension);
        removeStale(clip);
        clips.append(clip);
        QString arguments = inputSeek(start, source.path) + QStringLiteral("-t ") + lengthText
                            + QStringLiteral(" -i ") + quoted(source.path)
                            + QStringLiteral(" -y -q:v 0 -q:a 0");
        if (reEncode) {
            if (encodesH264(extension))
                arguments += QStringLiteral(" -pix_fmt yuv420p");
            arguments += QLatin1Char(' ') + clip;
        } else {
            arguments += QStringLiteral(" -c copy ") + clip;
        }
        m_env.runner.startTool(arguments);
    }
    const auto cutStatus = [this, reEncode] {
        return reEncode ? QStringLiteral("状态：视频时长归一化中...") + timesText()
                        : QStringLiteral("状态：视频时长归一化中...");
    };
    if (m_env.runner.waitForTool(cutStatus, PauseFirst::No) == ToolRunResult::Stopped)
        return OutputResult::Stopped;

    // The sound track.
    const AudioRule rule = audioRuleOf(settings.audioRule);
    if (rule == AudioRule::RandomAudio && !pickRandomAudio())
        return failOutput();
    QString audioInput;
    if (usesAudioFile(rule)) {
        const QString audio = settings.fixedAudioText;
        const double audioSeconds = LeadingNumber(settings.fixedAudioLengthText);
        QString track = audio;  // a shorter audio is not filled up here
        if (audioSeconds > *target) {
            QString start = QStringLiteral("0");
            if (settings.audioRandomStart)
                start = randomStartText(audioSeconds - *target, m_env.random);
            track = workspaceFile(QStringLiteral("Tmp") + audioCutExtension(audio));
            removeStale(track);
            const QString arguments = QStringLiteral("-ss ") + start + QStringLiteral(" -t ")
                                      + lengthText + QStringLiteral(" -i ") + quoted(audio)
                                      + QStringLiteral(" -y -q:a 0 ") + quoted(track);
            if (m_env.runner.runTool(arguments, AudioPreparing, PauseFirst::No)
                == ToolRunResult::Stopped)
                return OutputResult::Stopped;
        }
        audioInput = QStringLiteral("-i ") + quoted(track) + QLatin1Char(' ');
    } else if (rule == AudioRule::LongestVideo) {
        removeStale(extractedAudio);
        if (m_env.runner.runTool(audioCommand, QStringLiteral("状态：提取音频中..."), PauseFirst::No)
            == ToolRunResult::Stopped)
            return OutputResult::Stopped;
        // A silent source gives no sound to extract: the output is then made
        // without a track (silent as that video) rather than failing.
        const QFileInfo extracted(extractedAudio);
        if (extracted.isFile() && extracted.size() > 0)
            audioInput = QStringLiteral("-i ") + quoted(extractedAudio) + QLatin1Char(' ');
    }

    const Placement placement = settings.noSpace ? Placement::EdgeToEdge : Placement::Corners;
    const OverlayPositions at = overlayPositions(sources, canvas, placement);
    // H.264 takes only even frame sizes: the canvas grows by a black line
    // where a sum is odd; the placements stay as computed.
    const int padWidth = canvas.width() + (canvas.width() & 1);
    const int padHeight = canvas.height() + (canvas.height() & 1);
    const int first = audioInput.isEmpty() ? 0 : 1;
    const auto stream = [first](int clip) {
        return QStringLiteral("[%1:v]").arg(first + clip);
    };
    QString inputs;
    for (const QString &clip : std::as_const(clips))
        inputs += QStringLiteral(" -i ") + quoted(clip);
    const QString filter = stream(0) + QStringLiteral("pad=") + QString::number(padWidth)
                           + QLatin1Char(':') + QString::number(padHeight) + QStringLiteral("[a];[a]")
                           + stream(1) + QStringLiteral("overlay=") + QString::number(at.x1)
                           + QStringLiteral("[b];[b]") + stream(2) + QStringLiteral("overlay=0:")
                           + QString::number(at.y2) + QStringLiteral("[c];[c]") + stream(3)
                           + QStringLiteral("overlay=") + QString::number(at.x3) + QLatin1Char(':')
                           + QString::number(at.y3);
    const QString pixelFormat = encodesH264(settings.outputType) ? QStringLiteral(" -pix_fmt yuv420p")
                                                                 : QString();
    // With a sound track the track is mapped by hand (see the same-video variant).
    const QString arguments = audioInput + inputs + QStringLiteral(" -filter_complex ")
                              + quoted(filter)
                              + (audioInput.isEmpty() ? QString() : QStringLiteral(" -map 0:a"))
                              + QStringLiteral(" -y -q:v 0 -q:a 0") + pixelFormat
                              + QLatin1Char(' ') + quoted(m_outputPath);
    return runFinalComposition(arguments);
}

bool VideoVideoComposer::pickRandomAudio()
{
    const int entries = m_env.audios.entryCount();
    int entry = int(RoundHalfEven(m_env.random.next() * double(entries)));
    if (entry < 1)
        entry = 1;
    if (entry > entries)
        return false;
    const QString path = m_env.audios.fullPath(entry);
    const QString lengthCaption = m_env.audios.cell(entry, SourceTable::AudioDuration)
                                  + QStringLiteral("秒");
    m_env.settings.fixedAudioText = path;
    m_env.settings.fixedAudioLengthText = lengthCaption;
    m_env.context.setFixedAudio(path, lengthCaption);
    return true;
}

OutputResult VideoVideoComposer::runFinalComposition(const QString &arguments)
{
    const auto status = [this] { return generatingStatus(); };
    if (m_env.runner.runTool(arguments, status, PauseFirst::Yes) == ToolRunResult::Stopped)
        return OutputResult::Stopped;
    m_sizeText = sizeText(m_outputPath, m_sizeText);
    // The tool's exit code is not known here: only a file written during this
    // output counts as made.
    if (!outputWritten()) {
        // A file this output wrote but could not finish is of no use to anyone.
        if (QFileInfo(m_outputPath).lastModified().toSecsSinceEpoch() >= m_outputStart.toSecsSinceEpoch())
            QFile::remove(m_outputPath);
        return failOutput();
    }
    setStatus(GeneratedOk + m_sizeText + tailText());
    return OutputResult::Done;
}

OutputResult VideoVideoComposer::failOutput()
{
    m_sizeText = sizeText(m_outputPath, m_sizeText);
    setStatus(GenerationFailed + m_sizeText + tailText());
    return OutputResult::Failed;
}

bool VideoVideoComposer::outputWritten() const
{
    const QFileInfo info(m_outputPath);
    if (!info.isFile() || info.size() <= 0)
        return false;
    // Compared in whole seconds, as file times may be stored that coarsely.
    if (info.lastModified().toSecsSinceEpoch() < m_outputStart.toSecsSinceEpoch())
        return false;
    return !m_env.outputProber || m_env.outputProber->probeFrameSize(m_outputPath).has_value();
}

QString VideoVideoComposer::timesText() const
{
    const QDateTime now = QDateTime::currentDateTime();
    return QStringLiteral("耗时：") + elapsedText(m_outputStart, now) + QStringLiteral("；总耗时：")
           + elapsedText(m_env.runStartTime, now);
}

QString VideoVideoComposer::tailText() const
{
    return QStringLiteral("；") + QString::number(m_outputNumber) + QLatin1Char('/')
           + m_env.settings.maxText + QStringLiteral("；") + timesText();
}

QString VideoVideoComposer::generatingStatus()
{
    m_sizeText = sizeText(m_outputPath, m_sizeText);
    return Generating + m_sizeText + tailText();
}

void VideoVideoComposer::setStatus(const QString &text)
{
    m_env.context.setStatus(text);
}
