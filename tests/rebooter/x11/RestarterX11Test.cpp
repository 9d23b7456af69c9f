// Close-watch and relaunch of the real restarter, with real X11 windows on the
// display the test runner started (see run-under-xvfb.sh).
#include "../Installation.h"

#include <gtest/gtest.h>

namespace {

void startWindow(QProcess &window, const QStringList &arguments)
{
    window.start(QStringLiteral(ZARV_X11_TEST_WINDOW), arguments);
    ASSERT_TRUE(window.waitForStarted());
}

// Ends the close-watch through its setting, as the other program does.
void writeCloseExe(const Installation &install, const QString &application)
{
    const QString config = install.environment.value(QStringLiteral("XDG_CONFIG_HOME"));
    QDir().mkpath(config);
    QFile file(config + QLatin1Char('/') + application + QStringLiteral(".conf"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Default]\nCloseExe=stop\n");
}

TEST(RestarterCloseWatch, EndsTheWatchedWindowAndOnlyAsksAWindowThatMentionsIt)
{
    Installation install;
    QProcess watched, mentioning;
    startWindow(watched, {QStringLiteral("Zarv 监视 窗口")});
    startWindow(mentioning,
                {QStringLiteral("文件夹 - zarv 监视 窗口 - 文件管理"), QStringLiteral("--refuse-close")});
    QProcess restarter;
    install.start(restarter, {QStringLiteral("close\tZarvCloseTest\tZarv 监视 窗口")});

    EXPECT_TRUE(watched.waitForFinished(30000));
    EXPECT_TRUE(mentioning.waitForReadyRead(30000));
    EXPECT_TRUE(mentioning.readAll().startsWith("close refused"));
    EXPECT_EQ(mentioning.state(), QProcess::Running);
    EXPECT_EQ(restarter.state(), QProcess::Running);

    writeCloseExe(install, QStringLiteral("ZarvCloseTest"));
    EXPECT_TRUE(restarter.waitForFinished(30000));
    EXPECT_EQ(restarter.exitCode(), 0) << restarter.readAllStandardError().toStdString();
    EXPECT_EQ(mentioning.state(), QProcess::Running);
    mentioning.kill();
    mentioning.waitForFinished();
}

TEST(RestarterRelaunch, EndsTheProgramStartsItWithDoFailsAndSparesOtherRestarters)
{
    Installation install;
    install.addStandIn(QStringLiteral("ZarvBatchTool"));
    QProcess original;
    original.start(install.path(QStringLiteral("ZarvBatchTool")), {QStringLiteral("first")});
    ASSERT_TRUE(original.waitForStarted());
    ASSERT_EQ(install.waitForStarts(QStringLiteral("ZarvBatchTool")).size(), 1);
    QProcess service;  // another restarter: a close-watch for a window that never comes
    install.start(service, {QStringLiteral("close\tZarvRelaunchTest\t从未 出现 的 窗口")});

    const RestarterRun run = install.run({QStringLiteral("DoFails\tZarvBatchTool")});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(original.waitForFinished(10000));
    const QStringList starts = install.waitForStarts(QStringLiteral("ZarvBatchTool"), 2);
    ASSERT_EQ(starts.size(), 2);
    EXPECT_TRUE(starts.at(1).endsWith(QStringLiteral(" DoFails"))) << starts.at(1).toStdString();
    EXPECT_EQ(service.state(), QProcess::Running);

    writeCloseExe(install, QStringLiteral("ZarvRelaunchTest"));
    EXPECT_TRUE(service.waitForFinished(30000));
}

}  // namespace
