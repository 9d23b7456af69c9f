// The batch mode's progress line on a terminal.
#include "app/window/TerminalProgress.h"

#include <gtest/gtest.h>

TEST(TerminalProgress, TheStepLosesItsPrefixAndTimes)
{
    const std::pair<QString, QString> cases[] = {
        {"状态：视频生成中...12.345mb；3/10；耗时：0:01:05；总耗时：0:05:30", "视频生成中...12.345mb"},
        {"状态：视频时长归一化中...耗时：0:00:01；总耗时：0:00:09", "视频时长归一化中..."},
        {"状态：视频源随机抽取中...2/4", "视频源随机抽取中...2/4"},
        {"状态：音频预处理中...；耗时：0:00:01；总耗时：0:00:02", "音频预处理中..."},
    };
    for (const auto &[status, step] : cases)
        EXPECT_EQ(TerminalProgress::stepOf(status).toStdString(), step.toStdString());
}

TEST(TerminalProgress, TimeLeftFromTheMeanOfTheFinishedOutputs)
{
    struct Case {
        qint64 runSeconds;
        qint64 outputSeconds;
        int outputNumber;
        int outputCount;
        const char *left;
    };
    const Case cases[] = {
        {5, 5, 1, 10, "--:--:--"},      // nothing finished yet
        {20, 0, 3, 10, "0:01:20"},      // two took 20 s: eight more at 10 s
        {25, 5, 3, 10, "0:01:15"},      // the current one has run 5 s of its 10
        {100, 30, 2, 2, "0:00:40"},
        {100, 90, 2, 2, "0:00:00"},     // slower than the mean: never below zero
        {7200, 0, 2, 3, "4:00:00"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(TerminalProgress::timeLeftText(c.runSeconds, c.outputSeconds, c.outputNumber, c.outputCount)
                      .toStdString(),
                  c.left);
}

TEST(TerminalProgress, ALineIsCutToTheTerminalWithWideCharactersCountedTwice)
{
    EXPECT_EQ(TerminalProgress::fitted(QStringLiteral("输出 1/2"), 80), QStringLiteral("输出 1/2"));
    EXPECT_EQ(TerminalProgress::fitted(QStringLiteral("输出 1/2"), 5), QStringLiteral("输出 "));
    EXPECT_EQ(TerminalProgress::fitted(QStringLiteral("输出 1/2"), 4), QStringLiteral("输出"));
    EXPECT_EQ(TerminalProgress::fitted(QStringLiteral("输出 1/2"), 3), QStringLiteral("输"));
    EXPECT_EQ(TerminalProgress::fitted(QStringLiteral("abc"), 2), QStringLiteral("ab"));
}
