#include "platform/AppFolders.h"
#include "ScopedEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(AppFolders, WorkRootLivesInTheUsersCacheFolder)
{
    QTemporaryDir home;
    ScopedEnvironment cache("XDG_CACHE_HOME", (home.path() + "/cache").toUtf8());
    ScopedEnvironment data("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    const AppFolders folders = AppFolders::forCurrentUser(home.path() + "/program");
    EXPECT_EQ(folders.workRoot, home.path() + "/cache/ZarvMulVideoEditor/");
    EXPECT_EQ(folders.dataFolder, home.path() + "/data/ZarvMulVideoEditor/");
    EXPECT_TRUE(QFileInfo(folders.workRoot).isDir());
}

TEST(AppFolders, ACacheFolderWithABlankIsUsedAsItIs)
{
    // Tool arguments are lists, so a blank in a workspace path is harmless.
    QTemporaryDir home;
    ScopedEnvironment cache("XDG_CACHE_HOME", (home.path() + "/my cache").toUtf8());
    const AppFolders folders = AppFolders::forCurrentUser(home.path());
    EXPECT_EQ(folders.workRoot, home.path() + "/my cache/ZarvMulVideoEditor/");
    EXPECT_TRUE(QFileInfo(folders.workRoot).isDir());
}

// The build folder and a Windows-style folder hold the companions beside the
// binary; an installed program finds them in ../lib/zarvmulvideoeditor.
TEST(AppFolders, CompanionsAreFoundBesideTheBinaryOrInTheInstalledLayout)
{
    struct Case {
        const char *name;
        bool beside;
        bool installed;
        const char *expected;  // below the case's root
    };
    const Case cases[] = {
        {"beside", true, false, "/bin"},
        {"installed", false, true, "/lib/zarvmulvideoeditor"},
        {"both", true, true, "/bin"},
        {"neither", false, false, "/bin"},
    };
    for (const Case &c : cases) {
        QTemporaryDir root;
        QDir().mkpath(root.path() + "/bin");
        QDir().mkpath(root.path() + "/lib/zarvmulvideoeditor");
        const auto touch = [](const QString &path) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        };
        if (c.beside)
            touch(root.path() + "/bin/CutMedia.dll");
        if (c.installed)
            touch(root.path() + "/lib/zarvmulvideoeditor/CutMedia.dll");
        EXPECT_EQ(AppFolders::programFolderFor(root.path() + "/bin"), root.path() + c.expected) << c.name;
    }
}

// Windows puts the workspace on the ready drive with the most free space.
TEST(AppFolders, WorkRootIsTheRoomiestReadyDrive)
{
    using D = AppFolders::DriveSpace;
    constexpr qint64 GB = 1024LL * 1024 * 1024;
    const struct {
        QList<D> drives;
        QString root;
    } cases[] = {
        {{{"C:/", true, 10 * GB}, {"D:/", true, 50 * GB}}, "D:/"},
        {{{"C:/", true, 50 * GB}, {"D:/", true, 50 * GB}}, "C:/"},
        {{{"A:/", false, 0}, {"C:/", true, 10 * GB}, {"E:/", false, 90 * GB}}, "C:/"},
        {{{"A:/", false, 0}, {"E:/", true, 0}}, ""},
        {{}, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(AppFolders::roomiestReadyDrive(c.drives), c.root);
}

}  // namespace
