// An output written beside its name and put in place only when complete.

#include "app/run/PendingOutput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class PendingOutputTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(folder())); }

    QString folder() const { return root.filePath(QStringLiteral("输出 \"目录\"")); }
    QString path(const QString &name) const { return folder() + QLatin1Char('/') + name; }

    static void write(const QString &path, const QByteArray &content)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    static QByteArray read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QStringList names() const { return QDir(folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    QTemporaryDir root;
};

TEST_F(PendingOutputTest, WritesBesideTheOutputKeepingItsExtension)
{
    EXPECT_EQ(PendingOutput(path("0001.mp4")).writingPath(), path("0001.zarv-unfinished.mp4"));
    EXPECT_EQ(PendingOutput(path("0012.flv")).writingPath(), path("0012.zarv-unfinished.flv"));
    // A file of that name that is not ours is left alone.
    write(path("0001.zarv-unfinished.mp4"), "someone's");
    PendingOutput pending(path("0001.mp4"));
    EXPECT_EQ(pending.writingPath(), path("0001.zarv-unfinished1.mp4"));
    pending.discard();
    EXPECT_EQ(read(path("0001.zarv-unfinished.mp4")), "someone's");
}

TEST_F(PendingOutputTest, OnlyACompleteFileReplacesTheEarlierOne)
{
    write(path("0001.mp4"), "earlier run");
    PendingOutput stopped(path("0001.mp4"));
    write(stopped.writingPath(), "half");
    stopped.discard();
    PendingOutput nothingWritten(path("0001.mp4"));
    EXPECT_FALSE(nothingWritten.complete());
    nothingWritten.discard();
    EXPECT_EQ(read(path("0001.mp4")), "earlier run");

    PendingOutput complete(path("0001.mp4"));
    write(complete.writingPath(), "this run");
    ASSERT_TRUE(complete.complete());
    EXPECT_EQ(read(path("0001.mp4")), "this run");
    EXPECT_EQ(names(), QStringList{"0001.mp4"});
}

TEST_F(PendingOutputTest, EachOutputTakesItsOwnFileAndNeverFollowsALink)
{
    // Two runs at once: the name is taken by creating the file.
    PendingOutput first(path("0001.mp4"));
    PendingOutput second(path("0001.mp4"));
    EXPECT_EQ(first.writingPath(), path("0001.zarv-unfinished.mp4"));
    EXPECT_EQ(second.writingPath(), path("0001.zarv-unfinished1.mp4"));
    EXPECT_TRUE(QFileInfo(first.writingPath()).isFile());
    EXPECT_TRUE(QFileInfo(second.writingPath()).isFile());

    // A link of our name, even one pointing nowhere, is somebody else's.
    const QString target = root.filePath("elsewhere.mp4");
    ASSERT_TRUE(QFile::link(target, path("0002.zarv-unfinished.mp4")));
    PendingOutput linked(path("0002.mp4"));
    EXPECT_EQ(linked.writingPath(), path("0002.zarv-unfinished1.mp4"));
    EXPECT_FALSE(QFileInfo::exists(target));

    // A folder that takes no new file leaves nothing reserved.
    PendingOutput nowhere(root.filePath("missing/0001.mp4"));
    EXPECT_FALSE(nowhere.isReserved());
    EXPECT_FALSE(nowhere.complete());
}

}  // namespace
