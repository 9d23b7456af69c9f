#include "app/library/MediaPatterns.h"

#include <gtest/gtest.h>

TEST(MediaPatterns, VideoTextIsTheFourPiecesWithTheOtherFilesEntry)
{
    const QString text = MediaPatterns::videoPatternText();
    EXPECT_TRUE(
        text.startsWith(QStringLiteral("*.mpeg;*.wmv;*.divx;*.dat;*.mpx;*.asf;*.avi;*.mov;*.mpg;*.rm;")));
    EXPECT_TRUE(text.contains(QStringLiteral(";*.m1v;*.m2v;*.qt;")));
    EXPECT_TRUE(text.contains(QStringLiteral(";*.sv16;*.paf;*.sd2;")));
    // Today's video types follow the classic list, before the other-files entry.
    EXPECT_TRUE(text.endsWith(QStringLiteral(
        "*.avr;*.flv;*.webm;*.m4v;*.ts;*.mts;*.m2ts;*.3gp|其他文件(慎用，可能出错或无结果)|*.*")));
}

TEST(MediaPatterns, ReadsExtensionsAndLeavesOutCaptionsAndTheCatchAll)
{
    const MediaPatterns patterns(MediaPatterns::videoPatternText());
    EXPECT_TRUE(patterns.extensions().contains(QStringLiteral("mp4")));
    EXPECT_TRUE(patterns.extensions().contains(QStringLiteral("flv")));
    EXPECT_TRUE(patterns.extensions().contains(QStringLiteral("mpeg")));
    EXPECT_FALSE(patterns.extensions().contains(QStringLiteral("*")));
    EXPECT_EQ(patterns.extensions().size(), 48);
    EXPECT_FALSE(patterns.matches(QStringLiteral("notes.txt")));
}

TEST(MediaPatterns, MatchesTheRealExtensionWithoutRegardToCase)
{
    const MediaPatterns video(MediaPatterns::videoPatternText());
    EXPECT_TRUE(video.matches(QStringLiteral("clip.MP4")));
    EXPECT_TRUE(video.matches(QStringLiteral("clip.mp4")));
    EXPECT_TRUE(video.matches(QStringLiteral("a.b.Mkv")));
    // ".m" occurs inside ".mpeg" and ".mov", but "m" is no video extension.
    EXPECT_FALSE(video.matches(QStringLiteral("x.m")));
    EXPECT_FALSE(video.matches(QStringLiteral("x.mp")));
    EXPECT_FALSE(video.matches(QStringLiteral("x.mp4v")));
    EXPECT_FALSE(video.matches(QStringLiteral("mp4")));
}

TEST(MediaPatterns, SkipsNamesWithoutAnExtension)
{
    const MediaPatterns video(MediaPatterns::videoPatternText());
    EXPECT_EQ(MediaPatterns::extensionOf(QStringLiteral("README")), QString());
    EXPECT_EQ(MediaPatterns::extensionOf(QStringLiteral("clip.")), QString());
    EXPECT_EQ(MediaPatterns::extensionOf(QStringLiteral(".mp4")), QString());
    EXPECT_EQ(MediaPatterns::extensionOf(QStringLiteral("Clip.Final.MP4")), QStringLiteral("mp4"));
    EXPECT_FALSE(video.matches(QStringLiteral("README")));
    EXPECT_FALSE(video.matches(QStringLiteral("clip.")));
}

TEST(MediaPatterns, AudioAndPictureLists)
{
    const MediaPatterns audio(MediaPatterns::audioPatternText());
    const MediaPatterns picture(MediaPatterns::picturePatternText());
    EXPECT_TRUE(audio.matches(QStringLiteral("song.WAV")));
    EXPECT_TRUE(audio.matches(QStringLiteral("song.m4a")));
    EXPECT_FALSE(audio.matches(QStringLiteral("clip.mp4")));
    EXPECT_TRUE(picture.matches(QStringLiteral("photo.JPEG")));
    EXPECT_TRUE(picture.matches(QStringLiteral("photo.tif")));
    EXPECT_FALSE(picture.matches(QStringLiteral("photo.heic")));
    EXPECT_EQ(audio.extensions().size(), 10);  // "*.wav" is listed twice
    EXPECT_EQ(picture.extensions().size(), 8);
    EXPECT_TRUE(
        MediaPatterns::audioPatternText().endsWith(QStringLiteral("*.wav;*.aac;*.flac;*.ogg;*.opus")));
    EXPECT_TRUE(MediaPatterns::picturePatternText().endsWith(QStringLiteral("*.bmp;*.webp")));
    for (const char *name : {"a.webm", "a.M4V", "a.ts", "a.mts", "a.m2ts", "a.3gp"})
        EXPECT_TRUE(MediaPatterns(MediaPatterns::videoPatternText()).matches(QString::fromLatin1(name)))
            << name;
    for (const char *name : {"a.aac", "a.FLAC", "a.ogg", "a.opus"})
        EXPECT_TRUE(audio.matches(QString::fromLatin1(name))) << name;
    EXPECT_TRUE(picture.matches(QStringLiteral("photo.WebP")));
}

TEST(MediaPatterns, NamesWithTabsOrLineBreaksDoNotFitInARow)
{
    EXPECT_TRUE(MediaPatterns::fitsInRow(QStringLiteral("我的 视频 1.mp4")));
    EXPECT_FALSE(MediaPatterns::fitsInRow(QStringLiteral("a\tb.mp4")));
    EXPECT_FALSE(MediaPatterns::fitsInRow(QStringLiteral("a\nb.mp4")));
    EXPECT_FALSE(MediaPatterns::fitsInRow(QStringLiteral("a\rb.mp4")));
    // Every other control character too, in a folder as in a name.
    for (const char16_t c : {u'\x01', u'\x1b', u'\x1f'})
        EXPECT_FALSE(
            MediaPatterns::fitsInRow(QStringLiteral("/media/aud") + QChar(c) + QStringLiteral("file")));
    EXPECT_TRUE(MediaPatterns::fitsInRow(QStringLiteral("/media/a b~!'\"")));
}
