// Every failure names its reason: refusals before the run when the output
// folder, the workspace or the tool cannot work, and per output afterwards,
// with real file systems mounted for the test in a private mount namespace.
#include "MediaFactory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

class FailureReasonsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        media = new QTemporaryDir;
        QDir().mkpath(media->filePath("videos"));
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(MediaFactory::makeVideo(media->filePath(QStringLiteral("videos/clip %1.mp4").arg(i)),
                                                160, 120, 2.0));
    }
    static void TearDownTestSuite()
    {
        delete media;
        media = nullptr;
    }

    struct Result {
        int exitCode = -1;
        QString err;
    };

    QString job(const QString &outputFolder, int outputs = 1) const
    {
        const QString path = home.filePath("job.txt");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QStringLiteral("videos=%1\nTMax=%2\nTLen=2\noutput=%3\n")
                       .arg(media->filePath("videos"))
                       .arg(outputs)
                       .arg(outputFolder)
                       .toUtf8());
        return path;
    }

    // Runs the batch program in a mount namespace of its own in which
    // mountPoint (when given) holds a tmpfs with the given options, so the
    // test needs no clean-up and touches no other mount. Unprivileged, a user
    // namespace gives the right to mount.
    Result run(const QString &program, const QString &jobPath, const QString &mountPoint = {},
               const QString &mountOptions = {}, const QString &fill = {}) const
    {
        QStringList arguments{QStringLiteral("--mount")};
        if (geteuid() != 0)
            arguments << QStringLiteral("--map-root-user");
        QString script = QStringLiteral("set -e; ");
        if (!mountPoint.isEmpty())
            script += QStringLiteral("mount -t tmpfs -o '%1' tmpfs '%2'; ").arg(mountOptions, mountPoint);
        if (!fill.isEmpty())  // fills the file system to its last block
            script += QStringLiteral("cat /dev/zero > '%1' 2>/dev/null || true; ").arg(fill);
        script += QStringLiteral("exec \"$0\" --batch \"$1\"");
        arguments << QStringLiteral("sh") << QStringLiteral("-c") << script << program << jobPath;

        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CACHE_HOME", cacheFolder.isEmpty() ? home.filePath("cache") : cacheFolder);
        env.insert("XDG_DATA_HOME", home.filePath("data"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("ZARV_UPDATE_URL", QString());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral("unshare"), arguments);
        EXPECT_TRUE(process.waitForStarted()) << "unshare is needed (util-linux)";
        EXPECT_TRUE(process.waitForFinished(120000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
    }

    static QString program() { return QStringLiteral(ZARV_PROGRAM_DIR) + "/ZarvMulVideoEditor"; }

    static QTemporaryDir *media;
    QTemporaryDir home;
    QString cacheFolder;
};

QTemporaryDir *FailureReasonsTest::media = nullptr;

TEST_F(FailureReasonsTest, WhatWouldFailEveryOutputIsRefusedBeforeTheRun)
{
    const QString out = home.filePath("out");
    ASSERT_TRUE(QDir().mkpath(out));

    // A read-only output folder.
    Result r = run(program(), job(out), out, QStringLiteral("ro,size=1m"));
    EXPECT_EQ(r.exitCode, 2) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("输出目录不可写：") + out)) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("视频生成中")));

    // A workspace on a disk mounted without exec rights.
    cacheFolder = home.filePath("noexec");
    ASSERT_TRUE(QDir().mkpath(cacheFolder));
    r = run(program(), job(out), cacheFolder, QStringLiteral("noexec,size=64m"));
    EXPECT_EQ(r.exitCode, 2) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("媒体工具无法在工作目录中运行："))) << r.err.toStdString();
    cacheFolder.clear();

    // A program folder without its media tool.
    const QString bare = home.filePath("bare");
    ASSERT_TRUE(QDir().mkpath(bare));
    ASSERT_TRUE(QFile::copy(program(), bare + "/ZarvMulVideoEditor"));
    QFile::setPermissions(bare + "/ZarvMulVideoEditor", QFileDevice::ExeOwner | QFileDevice::ReadOwner);
    r = run(bare + "/ZarvMulVideoEditor", job(out));
    EXPECT_EQ(r.exitCode, 2) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("找不到媒体工具："))) << r.err.toStdString();
    EXPECT_TRUE(QDir(out).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(FailureReasonsTest, AFullOutputDiskIsNamedAtEachOutputAndInTheLog)
{
    const QString out = home.filePath("small");
    ASSERT_TRUE(QDir().mkpath(out));
    const Result r = run(program(), job(out, 2), out, QStringLiteral("size=1m"), out + "/.filler");
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    const QString reason = QStringLiteral("输出目录所在磁盘空间不足：") + out;
    // Each output's line, the status line after the failure text, and the
    // completion message with the log's place.
    EXPECT_TRUE(r.err.contains(QStringLiteral("0001.mp4 生成失败：") + reason)) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("0002.mp4 生成失败：") + reason));
    EXPECT_TRUE(r.err.contains(QStringLiteral("；原因：") + reason));
    EXPECT_TRUE(r.err.contains(QStringLiteral("其中2个视频生成失败！")));
    const QString logs = home.filePath("data/ZarvMulVideoEditor/Logs");
    const QStringList logNames = QDir(logs).entryList({QStringLiteral("run-*.log")}, QDir::Files);
    ASSERT_EQ(logNames.size(), 1) << logs.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("详细记录见：") + logs + "/" + logNames[0]))
        << r.err.toStdString();
    QFile log(logs + "/" + logNames[0]);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    // Every step's arguments and the tool's own complaint.
    EXPECT_TRUE(text.contains(
        QRegularExpression(QStringLiteral("== 输出 1 \\S+/0001\\.mp4：失败（输出目录所在磁盘空间不足"))))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("> ")));
    EXPECT_TRUE(text.contains(QStringLiteral("No space left on device"))) << text.toStdString();
}

}  // namespace
