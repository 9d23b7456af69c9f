#include "MediaFactory.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace MediaFactory {

QString ffmpegPath()
{
    return QStringLiteral(ZARV_FFMPEG);
}

static QString ffprobePath()
{
    return QFileInfo(ffmpegPath()).absolutePath() + QStringLiteral("/ffprobe");
}

bool runFfmpeg(const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(ffmpegPath(), QStringList{"-y", "-loglevel", "error", "-nostdin"} + arguments);
    if (!process.waitForFinished(120000))
        return false;
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qWarning("ffmpeg failed: %s", process.readAll().constData());
        return false;
    }
    return true;
}

bool makeVideo(const QString &path, int width, int height, double seconds, Sound sound, int fps)
{
    const QString duration = QString::number(seconds, 'f', 3);
    QStringList args{"-f", "lavfi", "-i",
                     QStringLiteral("testsrc=size=%1x%2:rate=%3:duration=%4")
                         .arg(width)
                         .arg(height)
                         .arg(fps)
                         .arg(duration)};
    if (sound == Sound::With)
        args << "-f"
             << "lavfi"
             << "-i" << QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(duration);
    const QString suffix = QFileInfo(path).suffix().toLower();
    auto is = [&suffix](std::initializer_list<const char *> suffixes) {
        for (const char *s : suffixes) {
            if (suffix == QLatin1String(s))
                return true;
        }
        return false;
    };
    // Phones name MP4 files .m4v and .3gp; camcorders write MPEG-TS as .mts
    // and .m2ts.
    if (is({"m4v"}))
        args << "-f"
             << "mp4";
    else if (is({"3gp"}))
        args << "-f"
             << "3gp";
    else if (is({"ts", "mts", "m2ts"}))
        args << "-f"
             << "mpegts";
    if (is({"mp4", "mkv", "mov", "m4v", "3gp", "ts", "mts", "m2ts"}))
        args << "-c:v"
             << "libx264"
             << "-preset"
             << "ultrafast"
             << "-pix_fmt"
             << "yuv420p";
    else if (is({"webm"}))
        args << "-c:v"
             << "libvpx"
             << "-deadline"
             << "realtime"
             << "-cpu-used"
             << "8";
    if (sound == Sound::With && is({"mp4", "mov", "m4v", "3gp", "ts", "mts", "m2ts"}))
        args << "-c:a"
             << "aac";
    args << "-t" << duration << path;
    return runFfmpeg(args);
}

bool makeAudio(const QString &path, double seconds)
{
    const QString duration = QString::number(seconds, 'f', 3);
    return runFfmpeg({"-f", "lavfi", "-i",
                      QStringLiteral("sine=frequency=660:sample_rate=44100:duration=%1").arg(duration), "-t",
                      duration, path});
}

bool makePicture(const QString &path, int width, int height)
{
    return runFfmpeg({"-f", "lavfi", "-i", QStringLiteral("testsrc=size=%1x%2:rate=1").arg(width).arg(height),
                      "-frames:v", "1", path});
}

QList<PictureFile> makePictureSet(const QString &folder)
{
    const QList<PictureFile> pictures{{QStringLiteral("横幅 landscape.jpg"), 1920, 1080},
                                      {QStringLiteral("portrait.png"), 1080, 1920},
                                      {QStringLiteral("square.jpg"), 500, 500},
                                      {QStringLiteral("odd.bmp"), 641, 359},
                                      {QStringLiteral("broken.jpg"), 640, 480}};
    for (const PictureFile &picture : pictures.first(4)) {
        if (!makePicture(folder + QLatin1Char('/') + picture.name, picture.width, picture.height))
            return {};
    }
    QFile broken(folder + QLatin1Char('/') + pictures.last().name);
    if (!broken.open(QIODevice::WriteOnly) || broken.write("not a picture") < 0)
        return {};
    return pictures;
}

bool tagOrientation(const QString &jpegPath, int orientation)
{
    QFile file(jpegPath);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray jpeg = file.readAll();
    // APP1 "Exif", a little-endian TIFF header and one IFD entry: 0x0112, SHORT, 1.
    QByteArray app1("\xFF\xE1\x00\x22"
                    "Exif\0\0"
                    "II*\0\x08\0\0\0"
                    "\x01\0"
                    "\x12\x01\x03\0\x01\0\0\0",
                    28);
    app1 += char(orientation) + QByteArray(7, '\0');
    return jpeg.startsWith("\xFF\xD8") && file.seek(0) && file.write(jpeg.insert(2, app1)) == jpeg.size();
}

StreamFacts probe(const QString &path)
{
    StreamFacts facts;
    QProcess process;
    process.start(ffprobePath(),
                  {"-v", "error", "-print_format", "json", "-show_format", "-show_streams", path});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return facts;
    const QJsonObject root = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    facts.durationSeconds = root.value("format").toObject().value("duration").toString().toDouble();
    for (const QJsonValue &value : root.value("streams").toArray()) {
        const QJsonObject stream = value.toObject();
        const QString type = stream.value("codec_type").toString();
        if (type == QLatin1String("video") && !facts.hasVideo) {
            facts.hasVideo = true;
            facts.width = stream.value("width").toInt();
            facts.height = stream.value("height").toInt();
            facts.pixelFormat = stream.value("pix_fmt").toString();
        } else if (type == QLatin1String("audio")) {
            facts.hasAudio = true;
        }
    }
    return facts;
}

}  // namespace MediaFactory
