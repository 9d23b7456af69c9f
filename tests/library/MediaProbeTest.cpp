#include "MediaFactory.h"
#include "app/library/MediaInfoProber.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
    p.start(QFileInfo(MediaFactory::ffmpegPath()).absolutePath() + "/ffprobe",
            {"-v", "error", "-select_streams", "0", "-show_entries", "stream=duration", "-of",
             "csv=p=0", file});
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

TEST(MediaProberText, DurationCellHasAtMostThreeDecimals)
{
    EXPECT_EQ(MediaProber::durationText(4.52), "4.52");
    EXPECT_EQ(MediaProber::durationText(5.0416), "5.042");
    EXPECT_EQ(MediaProber::durationText(90.5), "90.5");
    EXPECT_EQ(MediaProber::durationText(30.0), "30");
}

}  // namespace
