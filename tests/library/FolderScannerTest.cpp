#include "app/library/FolderScanner.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << qPrintable(path);
    file.write("x");
}

// Every file the walk hands over, as "folder relative to root | name".
QStringList walk(const QString &root, Subfolders subfolders, int stopAfterFolders = -1)
{
    QStringList seen;
    int folders = 0;
    const FolderScanner scanner(subfolders, [&](const QString &folder, const QStringList &names) {
        const QString relative = QDir(root).relativeFilePath(folder);
        for (const QString &name : names)
            seen.append(relative + QLatin1Char('|') + name);
        ++folders;
        return folders == stopAfterFolders ? FolderScanner::Walk::Stop : FolderScanner::Walk::Continue;
    });
    scanner.scan(root);
    return seen;
}

class FolderScannerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        root = dir.path() + QStringLiteral("/root");
        touch(root + "/b.mp4");
        touch(root + "/A.mp4");
        touch(root + "/sub2/c.mp4");
        touch(root + "/sub1/z.mp4");
        touch(root + "/sub1/d.mp4");
        touch(root + "/sub1/deep/e.mp4");
        touch(root + "/.hidden/h.mp4");
        touch(root + "/.h.mp4");
    }
    QTemporaryDir dir;
    QString root;
};

}  // namespace

TEST_F(FolderScannerTest, WalksDepthFirstWithOwnFilesBeforeSubfolders)
{
    EXPECT_EQ(walk(root, Subfolders::Included),
              (QStringList{".|A.mp4", ".|b.mp4", "sub1|d.mp4", "sub1|z.mp4", "sub1/deep|e.mp4", "sub2|c.mp4"}));
}

TEST_F(FolderScannerTest, WithoutSubfoldersOnlyTheTopLevel)
{
    EXPECT_EQ(walk(root, Subfolders::Excluded), (QStringList{".|A.mp4", ".|b.mp4"}));
}

TEST_F(FolderScannerTest, StopEndsTheWholeWalk)
{
    EXPECT_EQ(walk(root, Subfolders::Included, 2), (QStringList{".|A.mp4", ".|b.mp4", "sub1|d.mp4", "sub1|z.mp4"}));
}

TEST_F(FolderScannerTest, HandsOverFolderPathsWithoutTrailingSeparator)
{
    QStringList folders;
    const FolderScanner scanner(Subfolders::Included, [&](const QString &folder, const QStringList &) {
        folders.append(folder);
        return FolderScanner::Walk::Continue;
    });
    scanner.scan(root + QStringLiteral("/"));
    ASSERT_EQ(folders.size(), 4);
    EXPECT_EQ(folders.at(0), root);
    EXPECT_EQ(folders.at(1), root + QStringLiteral("/sub1"));
    EXPECT_EQ(FolderScanner::cleanFolderPath(QStringLiteral("/")), QStringLiteral("/"));
}

TEST_F(FolderScannerTest, DoesNotFollowLinksToFolders)
{
    ASSERT_TRUE(QFile::link(root, root + QStringLiteral("/sub1/up")));
    ASSERT_TRUE(QFile::link(QStringLiteral("."), root + QStringLiteral("/self")));
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/A.mp4"), root + QStringLiteral("/sub2/alias.mp4")));
    // Followed, the links would make the walk endless: it is stopped after
    // far more folders than there are, and fails.
    EXPECT_EQ(walk(root, Subfolders::Included, 100),
              (QStringList{".|A.mp4", ".|b.mp4", "sub1|d.mp4", "sub1|z.mp4", "sub1/deep|e.mp4", "sub2|alias.mp4",
                           "sub2|c.mp4"}));
}

TEST_F(FolderScannerTest, AMissingFolderIsPassedOver)
{
    EXPECT_TRUE(walk(root + QStringLiteral("/nothing"), Subfolders::Included).isEmpty());
}

TEST_F(FolderScannerTest, HoldsAnyFileLooksIntoSubfoldersOnlyWhenIncluded)
{
    const QString sub1ByDotDot = root + QStringLiteral("/sub1/deep/..");
    const QString parent = dir.path() + QStringLiteral("/parent");
    touch(parent + QStringLiteral("/inner/x.mp4"));
    EXPECT_FALSE(FolderScanner::holdsAnyFile(parent, Subfolders::Excluded));
    EXPECT_TRUE(FolderScanner::holdsAnyFile(parent, Subfolders::Included));
    EXPECT_TRUE(FolderScanner::holdsAnyFile(sub1ByDotDot, Subfolders::Excluded));
    EXPECT_FALSE(FolderScanner::holdsAnyFile(dir.path() + QStringLiteral("/missing"), Subfolders::Included));
    EXPECT_FALSE(FolderScanner::holdsAnyFile(QString(), Subfolders::Included));
    EXPECT_FALSE(FolderScanner::holdsAnyFile(QStringLiteral("视频目录来源未指定"), Subfolders::Included));
    QDir().mkpath(dir.path() + QStringLiteral("/empty/a/b"));
    EXPECT_FALSE(FolderScanner::holdsAnyFile(dir.path() + QStringLiteral("/empty"), Subfolders::Included));
}
