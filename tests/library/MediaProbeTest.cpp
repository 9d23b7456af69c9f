#include "MediaFactory.h"
#include "app/library/MediaInfoProber.h"

// The library's wide-character interface, as the prober uses it.
#ifndef UNICODE
#define UNICODE
#endif
#include <MediaInfo/MediaInfo.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app/base/NumberText.h"

#include <cmath>

namespace {

// Media made once for the whole suite: generating it is the slow part.
class MediaProbeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        ASSERT_TRUE(folder->isValid());
        ASSERT_TRUE(MediaFactory::makeVideo(path("clip.mp4"), 320, 240, 4.5));
        ASSERT_TRUE(MediaFactory::makeAudio(path("tone.mp3"), 5.0));
        ASSERT_TRUE(MediaFactory::makeAudio(path("tone.wav"), 3.3));
        ASSERT_TRUE(MediaFactory::makePicture(path("still.jpg"), 640, 480));
        ASSERT_TRUE(MediaFactory::makePicture(path("still.png"), 640, 480));
        ASSERT_TRUE(QFile::copy(path("clip.mp4"), path("中文 名字 视频.mp4")));
        QFile empty(path("empty.mp4"));
        ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
        empty.close();
        // A container that lists its 8 s sound before its 2 s picture.
        ASSERT_TRUE(MediaFactory::runFfmpeg({"-f", "lavfi", "-i", "sine=duration=8", "-f", "lavfi", "-i",
                                             "testsrc=size=96x54:rate=25:duration=2", "-map", "0:a", "-map",
                                             "1:v", "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt",
                                             "yuv420p", path("audio first.mkv")}));
        // A phone's portrait video: stored 64x48, shown turned a quarter.
        ASSERT_TRUE(MediaFactory::makeVideo(path("stored.mp4"), 64, 48, 1.0));
        for (const char *degrees : {"90", "180", "270"}) {
            ASSERT_TRUE(MediaFactory::runFfmpeg({"-i", path("stored.mp4"), "-c", "copy", "-metadata:s:v:0",
                                                 QStringLiteral("rotate=") + degrees,
                                                 path(QStringLiteral("turned %1.mp4").arg(degrees))}));
        }
        for (const char *name :
             {"today.webm", "today.m4v", "today.ts", "today.mts", "today.m2ts", "today.3gp"})
            ASSERT_TRUE(MediaFactory::makeVideo(path(name), 96, 54, 1.5)) << name;
        for (const char *name : {"today.aac", "today.flac", "today.ogg", "today.opus"})
            ASSERT_TRUE(MediaFactory::makeAudio(path(name), 2.5)) << name;
        ASSERT_TRUE(MediaFactory::makePicture(path("today.webp"), 72, 40));
        QFile text(path("notes.mp4"));
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("this is not a video\n");
        text.close();
    }
    static void TearDownTestSuite()
    {
        delete folder;
        folder = nullptr;
    }
    static QString path(const QString &name) { return folder->filePath(name); }

    static QTemporaryDir *folder;
    MediaInfoProber prober;
};

QTemporaryDir *MediaProbeTest::folder = nullptr;

// Duration of the first stream as ffprobe reports it.
double ffprobeFirstStreamDuration(const QString &file)
{
    QProcess p;
    p.start(
        QFileInfo(MediaFactory::ffmpegPath()).absolutePath() + "/ffprobe",
        {"-v", "error", "-select_streams", "0", "-show_entries", "stream=duration", "-of", "csv=p=0", file});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed().toDouble();
}

TEST_F(MediaProbeTest, VideoGivesFirstStreamDurationAndFrameSize)
{
    const auto seconds = prober.probeDuration(path("clip.mp4"));
    ASSERT_TRUE(seconds.has_value());
    EXPECT_NEAR(*seconds, ffprobeFirstStreamDuration(path("clip.mp4")), 0.0005);
    const auto size = prober.probeFrameSize(path("clip.mp4"));
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(*size, QSize(320, 240));
}

TEST_F(MediaProbeTest, AudioFilesGiveDurationButNoFrameSize)
{
    for (const char *name : {"tone.mp3", "tone.wav"}) {
        SCOPED_TRACE(name);
        const auto seconds = prober.probeDuration(path(name));
        ASSERT_TRUE(seconds.has_value());
        EXPECT_NEAR(*seconds, ffprobeFirstStreamDuration(path(name)), 0.0005);
        EXPECT_FALSE(prober.probeFrameSize(path(name)).has_value());
    }
    EXPECT_NEAR(*prober.probeDuration(path("tone.wav")), 3.3, 0.0005);
}

TEST_F(MediaProbeTest, PicturesGiveSizeButNoDuration)
{
    for (const char *name : {"still.jpg", "still.png"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(prober.probeFrameSize(path(name)), QSize(640, 480));
        EXPECT_FALSE(prober.probeDuration(path(name)).has_value());
    }
}

TEST_F(MediaProbeTest, PhotosWithAnOrientationTagListTheSizeAsShown)
{
    // Stored 640x480; tags 5 to 8 turn the photo a quarter, 1 to 4 do not.
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const QString photo = path(QStringLiteral("oriented %1.jpg").arg(orientation));
        ASSERT_TRUE(QFile::copy(path("still.jpg"), photo)
                    && MediaFactory::tagOrientation(photo, orientation));
        const QSize shown = orientation >= 5 ? QSize(480, 640) : QSize(640, 480);
        EXPECT_EQ(prober.probeFile(photo, SourceKind::Picture).frameSize, shown) << orientation;
        QFile::remove(photo);
    }
}

TEST_F(MediaProbeTest, ChineseNameWithBlanksIsProbed)
{
    const auto seconds = prober.probeDuration(path("中文 名字 视频.mp4"));
    ASSERT_TRUE(seconds.has_value());
    EXPECT_NEAR(*seconds, *prober.probeDuration(path("clip.mp4")), 1e-9);
    EXPECT_EQ(prober.probeFrameSize(path("中文 名字 视频.mp4")), QSize(320, 240));
}

TEST_F(MediaProbeTest, BrokenOrMissingFilesGiveNoValues)
{
    for (const char *name : {"empty.mp4", "notes.mp4", "missing.mp4"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(prober.probeDuration(path(name)).has_value());
        EXPECT_FALSE(prober.probeFrameSize(path(name)).has_value());
    }
    EXPECT_FALSE(prober.probeDuration(folder->path()).has_value());
}

TEST_F(MediaProbeTest, FailedProbeDoesNotLeaveThePreviousFilesValues)
{
    ASSERT_TRUE(prober.probeDuration(path("clip.mp4")).has_value());
    EXPECT_FALSE(prober.probeDuration(path("notes.mp4")).has_value());
    ASSERT_TRUE(prober.probeFrameSize(path("still.png")).has_value());
    EXPECT_FALSE(prober.probeFrameSize(path("tone.mp3")).has_value());
}

TEST_F(MediaProbeTest, TheVideoStreamGivesTheLengthWhenTheAudioIsListedFirst)
{
    EXPECT_NEAR(prober.probeDuration(path("audio first.mkv")).value_or(-1), 2.0, 0.05);
    EXPECT_EQ(prober.probeFrameSize(path("audio first.mkv")), QSize(96, 54));
}

TEST_F(MediaProbeTest, RotatedVideosGiveTheSizeAsShown)
{
    const struct {
        const char *name;
        QSize shown;
    } cases[] = {{"stored.mp4", {64, 48}},
                 {"turned 90.mp4", {48, 64}},
                 {"turned 180.mp4", {64, 48}},
                 {"turned 270.mp4", {48, 64}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(prober.probeFrameSize(path(c.name)), c.shown);
        // The tool decodes the file upright: the size listed is that of its frames.
        const QString frame = folder->filePath(QStringLiteral("frame.png"));
        ASSERT_TRUE(MediaFactory::runFfmpeg({"-i", path(c.name), "-frames:v", "1", frame}));
        const MediaFactory::StreamFacts decoded = MediaFactory::probe(frame);
        EXPECT_EQ(QSize(decoded.width, decoded.height), c.shown);
    }
}

// Every type a list takes today is read, with the values the tool sees.
TEST_F(MediaProbeTest, TodaysFileTypesAreRead)
{
    for (const char *name : {"today.webm", "today.m4v", "today.ts", "today.mts", "today.m2ts", "today.3gp"}) {
        SCOPED_TRACE(name);
        const MediaFacts facts = prober.probeFile(path(name), SourceKind::Video);
        EXPECT_NEAR(facts.durationSeconds.value_or(-1), 1.5, 0.1);
        EXPECT_EQ(facts.frameSize, QSize(96, 54));
    }
    for (const char *name : {"today.aac", "today.flac", "today.ogg", "today.opus"}) {
        SCOPED_TRACE(name);
        const MediaFacts facts = prober.probeFile(path(name), SourceKind::Audio);
        EXPECT_NEAR(facts.durationSeconds.value_or(-1), MediaFactory::probe(path(name)).durationSeconds, 0.1);
        EXPECT_FALSE(facts.frameSize.has_value());
    }
    EXPECT_EQ(prober.probeFile(path("today.webp"), SourceKind::Picture).frameSize, QSize(72, 40));
    EXPECT_FALSE(prober.probeDuration(path("today.webp")).has_value());
}

// One handle per file with the quick parse gives what the library's default
// (slower) parse of every field gives.
TEST_F(MediaProbeTest, OneQuickProbeGivesTheValuesOfTheDefaultParse)
{
    using namespace MediaInfoLib;
    auto field = [](MediaInfo &info, stream_t kind, const wchar_t *name) {
        return QString::fromStdWString(info.Get(kind, 0, name)).toDouble();
    };
    for (const char *name : {"clip.mp4", "tone.mp3", "tone.wav", "still.jpg", "still.png", "audio first.mkv",
                             "turned 90.mp4", "today.webm", "today.m4v", "today.ts", "today.m2ts",
                             "today.3gp", "today.flac", "today.ogg", "today.opus"}) {
        SCOPED_TRACE(name);
        MediaInfo info;
        info.Open(path(name).toStdWString());
        const bool video = info.Count_Get(Stream_Video) > 0;
        const bool picture = info.Count_Get(Stream_Image) > 0;
        const double durationMs =
            video ? field(info, Stream_Video, L"Duration") : field(info, Stream_Audio, L"Duration");
        const stream_t sized = video ? Stream_Video : Stream_Image;
        QSize size(int(field(info, sized, L"Width")), int(field(info, sized, L"Height")));
        if (std::fmod(field(info, Stream_Video, L"Rotation"), 180.0) == 90.0)
            size.transpose();

        const MediaFacts facts = prober.probeFile(path(name), SourceKind::Video);
        if (picture)
            EXPECT_FALSE(facts.durationSeconds.has_value());
        else
            EXPECT_EQ(facts.durationSeconds, RoundHalfEven(durationMs / 1000.0, 3));
        if (video || picture)
            EXPECT_EQ(facts.frameSize, size);
        else
            EXPECT_FALSE(facts.frameSize.has_value());
    }
}

TEST(MediaProberText, DurationCellHasAtMostThreeDecimals)
{
    EXPECT_EQ(MediaProber::durationText(4.52), "4.52");
    EXPECT_EQ(MediaProber::durationText(5.0416), "5.042");
    EXPECT_EQ(MediaProber::durationText(90.5), "90.5");
    EXPECT_EQ(MediaProber::durationText(30.0), "30");
}

}  // namespace
