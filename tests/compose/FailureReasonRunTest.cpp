// A failed output names why, from the tool's own messages and simple checks
// of the files: a run with the real tool whose sources vanish or cannot be
// decoded.
#include "FixedRandom.h"
#include "MediaFactory.h"
#include "RecordingRunContext.h"
#include "app/compose/ComposerFactory.h"
#include "app/run/BatchRun.h"
#include "app/run/FailureReason.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class FailureReasonRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        sources = root.path() + QStringLiteral("/源");
        QDir().mkpath(sources);
        QDir().mkpath(root.path() + QStringLiteral("/out"));
        request.settings.outputFolderText = root.path() + QStringLiteral("/out");
        request.settings.maxText = QStringLiteral("1");
        request.settings.lengthRule = LengthRule::LongestVideo;
        request.settings.audioRule = AudioRule::LongestVideo;
        request.workRoot = root.path();
        request.programFolder = QStringLiteral(ZARV_PROGRAM_DIR);
        request.toolName = QStringLiteral("CutMediaReason%1.exe").arg(QCoreApplication::applicationPid());
        request.random = &random;
        request.logFolder = root.path() + QStringLiteral("/logs");
    }

    QString addVideo(const QString &name)
    {
        const QString path = sources + QLatin1Char('/') + name;
        EXPECT_TRUE(MediaFactory::makeVideo(path, 160, 120, 1.0));
        request.videos.append(
            {name, sources, QStringLiteral("160"), QStringLiteral("120"), QStringLiteral("1")});
        return path;
    }

    BatchRunSummary run()
    {
        request.settings.readNumbers();
        request.runStartTime = QDateTime::currentDateTime();
        return BatchRun(context, MakeComposer).run(request);
    }

    QTemporaryDir root;
    QString sources;
    BatchRunRequest request;
    FixedRandom random{{0.0}};
    RecordingRunContext context;
};

TEST_F(FailureReasonRun, AVanishedOrUndecodableSourceIsNamed)
{
    const QString gone = addVideo(QStringLiteral("a.mp4"));
    for (const char *name : {"b.mp4", "c.mp4", "d.mp4"})
        addVideo(QString::fromUtf8(name));
    ASSERT_TRUE(QFile::remove(gone));
    BatchRunSummary summary = run();
    ASSERT_EQ(summary.outputs.size(), 1);
    EXPECT_EQ(summary.failed, 1);
    const QString reason = summary.outputs[0].reason;
    EXPECT_TRUE(reason.endsWith(QStringLiteral("不存在：") + gone)) << reason.toStdString();
    EXPECT_TRUE(context.statuses.last().startsWith(QStringLiteral("状态：视频生成失败！")));
    EXPECT_TRUE(context.statuses.last().endsWith(QStringLiteral("；原因：") + reason))
        << context.statuses.last().toStdString();

    // Bytes that are no video, under a video's name.
    QFile broken(gone);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray(4096, 'x'));
    broken.close();
    summary = run();
    ASSERT_EQ(summary.outputs.size(), 1);
    EXPECT_EQ(summary.outputs[0].reason, QStringLiteral("源文件无法解码：") + gone);
    // Both runs wrote their logs.
    EXPECT_EQ(QDir(request.logFolder).entryList(QDir::Files).size(), 2);
}

TEST(FailureReason, TheToolsComplaintIsItsLastErrorLine)
{
    const struct {
        const char *messages;
        const char *complaint;
    } cases[] = {
        {"Input #0, mov\n  Stream #0:0: Video: h264\n[libx264 @ 0x1] height not divisible by 2 (161x121)\n"
         "Error initializing output stream 0:0 -- Error while opening encoder\nConversion failed!\n",
         "Error initializing output stream 0:0 -- Error while opening encoder"},
        {"ffmpeg version 5.1\nsome line\nlast words\n", "last words"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LastToolComplaint(QString::fromUtf8(c.messages)), QString::fromUtf8(c.complaint))
            << c.messages;
}

}  // namespace
