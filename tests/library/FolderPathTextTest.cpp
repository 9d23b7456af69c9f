#include "app/library/FolderPathText.h"

#include <gtest/gtest.h>

TEST(FolderPathText, AppendsOneSeparator)
{
    EXPECT_EQ(FolderPathText::asFolderCaption(QStringLiteral("/home/user/videos")),
              QStringLiteral("/home/user/videos/"));
    EXPECT_EQ(FolderPathText::asFolderCaption(QStringLiteral("/home/user/videos/")),
              QStringLiteral("/home/user/videos/"));
}

TEST(FolderPathText, TheRootStaysTheRoot)
{
    EXPECT_EQ(FolderPathText::asFolderCaption(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(FolderPathText::asFolderCaption(QStringLiteral("C:")), QStringLiteral("C:/"));
    EXPECT_EQ(FolderPathText::asFolderCaption(QStringLiteral("C:/")), QStringLiteral("C:/"));
}

TEST(FolderPathText, CollapsesDoubledSeparators)
{
    EXPECT_EQ(FolderPathText::asFolderCaption(QStringLiteral("/data//media///clips")),
              QStringLiteral("/data/media/clips/"));
}

TEST(FolderPathText, KeepsTheLeadingPairOfANetworkPath)
{
    EXPECT_EQ(FolderPathText::asFolderCaption(QStringLiteral("//server/share")), QStringLiteral("//server/share/"));
    EXPECT_EQ(FolderPathText::asFolderCaption(QStringLiteral("//server//share/")),
              QStringLiteral("//server/share/"));
}

TEST(FolderPathText, EmptyStaysEmpty)
{
    EXPECT_EQ(FolderPathText::asFolderCaption(QString()), QString());
}

TEST(FolderPathText, FolderPickerStartsAtTheDriveRootOrHome)
{
    const QString home = QStringLiteral("/home/me");
    EXPECT_EQ(FolderPathText::folderPickerStart(QStringLiteral("/opt/tool/bin"), home), home);
    EXPECT_EQ(FolderPathText::folderPickerStart(QStringLiteral("D:/Tools/Editor"), home), QStringLiteral("D:/"));
}
