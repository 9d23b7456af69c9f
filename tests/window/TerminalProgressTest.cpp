// The batch mode's progress line on a terminal.
#include "app/window/TerminalProgress.h"

#include <gtest/gtest.h>

TEST(TerminalProgress, StepTimeLeftAndWidth)
{
    EXPECT_EQ(TerminalProgress::stepOf("状态：视频生成中...12.345mb；3/10；耗时：0:01:05；总耗时：0:05:30"),
              QStringLiteral("视频生成中...12.345mb"));
    EXPECT_EQ(TerminalProgress::stepOf("状态：视频时长归一化中...耗时：0:00:01；总耗时：0:00:09"),
              QStringLiteral("视频时长归一化中..."));
    // From the mean time of the finished outputs, less what the current one has run.
    const std::tuple<qint64, qint64, int, int, const char *> left[] = {
        {5, 5, 1, 10, "--:--:--"}, {20, 0, 3, 10, "0:01:20"}, {25, 5, 3, 10, "0:01:15"},
        {100, 90, 2, 2, "0:00:00"}, {7200, 0, 2, 3, "4:00:00"}};
    for (const auto &[run, output, number, count, text] : left)
        EXPECT_EQ(TerminalProgress::timeLeftText(run, output, number, count), QString::fromUtf8(text));
    // Chinese characters take two columns.
    EXPECT_EQ(TerminalProgress::fitted(QStringLiteral("输出 1/2"), 80), QStringLiteral("输出 1/2"));
    EXPECT_EQ(TerminalProgress::fitted(QStringLiteral("输出 1/2"), 5), QStringLiteral("输出 "));
    EXPECT_EQ(TerminalProgress::fitted(QStringLiteral("输出 1/2"), 3), QStringLiteral("输"));
}
