#include "platform/AppFolders.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char *name, const QByteArray &value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnvironment()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

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

}  // namespace
