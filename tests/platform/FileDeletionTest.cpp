#include "platform/FileDeletion.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

bool writeFile(const QString &path, const QByteArray &content = "data")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// Present as an entry of its own (a link counts even when broken).
bool entryExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Works in a temporary folder and points HOME into it, so that the home
// folder rules are tried on a stand-in holding a sentinel file.
class FileDeletionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        savedHome = qgetenv("HOME");
        home = root.filePath(QStringLiteral("users/me"));
        ASSERT_TRUE(writeFile(home + QStringLiteral("/sentinel.txt")));
        ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/sub")));
        qputenv("HOME", QFile::encodeName(home));
        ASSERT_EQ(QDir::homePath(), home);
    }

    void TearDown() override { qputenv("HOME", savedHome); }

    bool homeIntact() const { return QFileInfo(home + QStringLiteral("/sentinel.txt")).isFile(); }

    QTemporaryDir root;
    QByteArray savedHome;
    QString home;
};

}  // namespace

TEST_F(FileDeletionTest, DeletesAWholeTree)
{
    const QString tree = root.filePath(QStringLiteral("tree 树"));
    ASSERT_TRUE(writeFile(tree + QStringLiteral("/a/b/c.txt")));
    ASSERT_TRUE(writeFile(tree + QStringLiteral("/d.txt")));
    ASSERT_TRUE(QDir().mkpath(tree + QStringLiteral("/empty")));
    ASSERT_TRUE(writeFile(root.filePath(QStringLiteral("beside.txt"))));

    EXPECT_TRUE(DeletePath(tree));
    EXPECT_FALSE(entryExists(tree));
    EXPECT_TRUE(QFileInfo(root.filePath(QStringLiteral("beside.txt"))).isFile());
}

TEST_F(FileDeletionTest, DeletesAFile)
{
    const QString file = root.filePath(QStringLiteral("one.txt"));
    ASSERT_TRUE(writeFile(file));
    EXPECT_TRUE(DeletePath(file));
    EXPECT_FALSE(entryExists(file));
}

TEST_F(FileDeletionTest, MissingPathReturnsFalseAndChangesNothing)
{
    const QString beside = root.filePath(QStringLiteral("beside.txt"));
    ASSERT_TRUE(writeFile(beside));
    EXPECT_FALSE(DeletePath(root.filePath(QStringLiteral("missing"))));
    EXPECT_FALSE(DeletePath(root.filePath(QStringLiteral("missing/deeper/.."))));
    EXPECT_TRUE(QFileInfo(beside).isFile());
    EXPECT_TRUE(QFileInfo(root.path()).isDir());
}

TEST_F(FileDeletionTest, RefusesAnEmptyPath)
{
    EXPECT_FALSE(DeletePath(QString()));
    EXPECT_FALSE(DeletePath(QStringLiteral("   ")));
    EXPECT_TRUE(IsProtectedFromDeletion(QString()));
}

TEST_F(FileDeletionTest, RefusesTheFileSystemRoot)
{
    // Each root spelling is first confirmed protected, so that a fault can
    // never reach the deletion itself.
    for (const QString &path : {QStringLiteral("/"), QStringLiteral("//"), QStringLiteral("/."),
                                QStringLiteral("/tmp/.."), root.filePath(QStringLiteral("../../../../../.."))}) {
        ASSERT_TRUE(IsProtectedFromDeletion(path)) << path.toStdString();
        EXPECT_FALSE(DeletePath(path)) << path.toStdString();
    }
    EXPECT_TRUE(QFileInfo(QStringLiteral("/tmp")).isDir());
}

TEST_F(FileDeletionTest, RefusesTheHomeFolderInEverySpelling)
{
    const QStringList spellings = {home, home + QLatin1Char('/'), home + QStringLiteral("/."),
                                   home + QStringLiteral("/sub/.."),
                                   root.filePath(QStringLiteral("users/./me"))};
    for (const QString &path : spellings) {
        ASSERT_TRUE(IsProtectedFromDeletion(path)) << path.toStdString();
        EXPECT_FALSE(DeletePath(path)) << path.toStdString();
    }
    EXPECT_TRUE(homeIntact());
}

TEST_F(FileDeletionTest, RefusesAFolderHoldingTheHomeFolder)
{
    const QString users = root.filePath(QStringLiteral("users"));
    ASSERT_TRUE(IsProtectedFromDeletion(users));
    EXPECT_FALSE(DeletePath(users));
    EXPECT_TRUE(homeIntact());
    // Its other content is no concern of the rule.
    EXPECT_FALSE(IsProtectedFromDeletion(home + QStringLiteral("/sub")));
}

TEST_F(FileDeletionTest, RefusesAPathThatResolvesToHomeThroughALink)
{
    const QString link = root.filePath(QStringLiteral("jump"));
    ASSERT_TRUE(QFile::link(home + QStringLiteral("/sub"), link));
    // Lexically this is the temporary folder; the system resolves it to home.
    const QString path = link + QStringLiteral("/..");
    ASSERT_TRUE(IsProtectedFromDeletion(path));
    EXPECT_FALSE(DeletePath(path));
    EXPECT_TRUE(homeIntact());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
}

TEST_F(FileDeletionTest, RemovesALinkToHomeAsALinkOnly)
{
    const QString link = root.filePath(QStringLiteral("homelink"));
    ASSERT_TRUE(QFile::link(home, link));
    EXPECT_FALSE(IsProtectedFromDeletion(link));

    EXPECT_TRUE(DeletePath(link));
    EXPECT_FALSE(entryExists(link));
    EXPECT_TRUE(homeIntact());
    EXPECT_TRUE(QFileInfo(home + QStringLiteral("/sub")).isDir());
}

TEST_F(FileDeletionTest, RemovesALinkToAFolderWithoutEnteringIt)
{
    const QString target = root.filePath(QStringLiteral("target"));
    ASSERT_TRUE(writeFile(target + QStringLiteral("/keep.txt")));
    const QString link = root.filePath(QStringLiteral("link"));
    const QString slashLink = root.filePath(QStringLiteral("link2"));
    ASSERT_TRUE(QFile::link(target, link));
    ASSERT_TRUE(QFile::link(target, slashLink));

    EXPECT_TRUE(DeletePath(link));
    EXPECT_FALSE(entryExists(link));
    EXPECT_TRUE(DeletePath(slashLink + QLatin1Char('/')));
    EXPECT_FALSE(entryExists(slashLink));
    EXPECT_TRUE(QFileInfo(target + QStringLiteral("/keep.txt")).isFile());
}

TEST_F(FileDeletionTest, LinksInsideADeletedTreeAreNotFollowed)
{
    const QString outside = root.filePath(QStringLiteral("outside"));
    ASSERT_TRUE(writeFile(outside + QStringLiteral("/keep.txt")));
    const QString tree = root.filePath(QStringLiteral("tree"));
    ASSERT_TRUE(writeFile(tree + QStringLiteral("/inner/file.txt")));
    ASSERT_TRUE(QFile::link(outside, tree + QStringLiteral("/inner/out")));
    ASSERT_TRUE(QFile::link(home, tree + QStringLiteral("/home")));

    EXPECT_TRUE(DeletePath(tree));
    EXPECT_FALSE(entryExists(tree));
    EXPECT_TRUE(QFileInfo(outside + QStringLiteral("/keep.txt")).isFile());
    EXPECT_TRUE(homeIntact());
}

TEST_F(FileDeletionTest, RemovesABrokenLink)
{
    const QString link = root.filePath(QStringLiteral("broken"));
    ASSERT_TRUE(QFile::link(root.filePath(QStringLiteral("nowhere")), link));
    EXPECT_TRUE(DeletePath(link));
    EXPECT_FALSE(entryExists(link));
}

TEST_F(FileDeletionTest, DeletesTheFolderARelativePathNames)
{
    const QString tree = root.filePath(QStringLiteral("rel/inner"));
    ASSERT_TRUE(writeFile(tree + QStringLiteral("/x.txt")));
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(root.path()));
    const bool deleted = DeletePath(QStringLiteral("rel/inner"));
    QDir::setCurrent(saved);
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(entryExists(tree));
    EXPECT_TRUE(QFileInfo(root.filePath(QStringLiteral("rel"))).isDir());
}

TEST(FileDeletion, RefusesTheRealHomeFolder)
{
    const QString home = QDir::homePath();
    ASSERT_TRUE(IsProtectedFromDeletion(home));
    EXPECT_FALSE(DeletePath(home));
    EXPECT_TRUE(QFileInfo(home).isDir());
}
