#include "Installation.h"
#include "StoredRar.h"
#include "rebooter/RestarterCommandLine.h"

#include <gtest/gtest.h>

namespace {

QString contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("<missing>");
}

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// The installation holds "readme.txt" (old) and the stand-in programs; the
// archive (a stored RAR) brings a new "readme.txt" and a file in a new subfolder.
class RestarterUpdate : public testing::Test {
protected:
    void SetUp() override
    {
        install.addStandIn(QStringLiteral("ZarvMulVideoEditor"));
        install.addStandIn(QStringLiteral("ZarvBatchTool"));
        writeFile(install.path(QStringLiteral("readme.txt")), "old");
        archive = install.root.filePath(QStringLiteral("closeup 下载/ZarvMulVideoEditor.rar"));
        writeFile(archive, StoredRar::archive({{QStringLiteral("readme.txt"), "new"},
                                               {QStringLiteral("sub dir/new file.txt"), "added"}}));
    }
    bool updated() const
    {
        return contentOf(install.path(QStringLiteral("readme.txt"))) == QStringLiteral("new")
               && contentOf(install.path(QStringLiteral("sub dir/new file.txt"))) == QStringLiteral("added");
    }

    Installation install;
    QString archive;
};

TEST_F(RestarterUpdate, HandOverUnpacksOverTheInstallationAndStartsTheProgramAgain)
{
    // The archive's folder name holds "close": still an update.
    const RestarterRun run =
        install.run({archive + QStringLiteral("\t1\tZarvMulVideoEditor\tZarv 视频 编辑")});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(updated());
    EXPECT_EQ(install.waitForStarts(QStringLiteral("ZarvMulVideoEditor")).size(), 1);
    EXPECT_TRUE(install.starts(QStringLiteral("ZarvBatchTool")).isEmpty());
    EXPECT_EQ(run.errors, QStringLiteral("消息：《Zarv 视频 编辑》已成功更新并重启！\n"));
}

TEST_F(RestarterUpdate, ArchiveAndRestartAloneRestartTheOtherProgram)
{
    const RestarterRun run = install.run({archive, QStringLiteral("1")});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(updated());
    EXPECT_EQ(install.waitForStarts(QStringLiteral("ZarvBatchTool")).size(), 1);
    EXPECT_EQ(run.errors, QStringLiteral("消息：《ZarvBatchTool》已成功更新并重启！\n"));
}

TEST_F(RestarterUpdate, ArchiveAloneUnpacksWithoutRestart)
{
    const RestarterRun run = install.run({archive});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(updated());
    EXPECT_TRUE(run.errors.isEmpty()) << run.errors.toStdString();
    QThread::msleep(300);
    EXPECT_TRUE(install.starts(QStringLiteral("ZarvBatchTool")).isEmpty());
    EXPECT_TRUE(install.starts(QStringLiteral("ZarvMulVideoEditor")).isEmpty());
}

TEST_F(RestarterUpdate, UnpackingWaitsUntilTheOldProgramHasEnded)
{
    QProcess old;
    old.start(install.path(QStringLiteral("ZarvMulVideoEditor")), {QStringLiteral("old")});
    ASSERT_TRUE(old.waitForStarted());
    // A program of the same name in another folder is none of its business.
    const QString elsewhere = install.root.filePath(QStringLiteral("elsewhere/ZarvMulVideoEditor"));
    QDir().mkpath(QFileInfo(elsewhere).absolutePath());
    QFile::copy(QStringLiteral(ZARV_STANDIN), elsewhere);
    QProcess other;
    other.start(elsewhere, {QStringLiteral("other")});
    ASSERT_TRUE(other.waitForStarted());
    QProcess restarter;
    install.start(restarter, {archive + QStringLiteral("\t1\tZarvMulVideoEditor\tZarv")});
    // Well past the pause the old program was given: nothing unpacked yet.
    EXPECT_FALSE(restarter.waitForFinished(1500));
    EXPECT_EQ(contentOf(install.path(QStringLiteral("readme.txt"))), QStringLiteral("old"));
    // A second restarter meanwhile finds the first one's lock and touches nothing.
    const RestarterRun second = install.run({archive + QStringLiteral("\t1\tZarvMulVideoEditor\tZarv")});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_EQ(second.errors, QStringLiteral("消息：另一个更新正在进行中，本次更新未做任何操作！\n"));
    EXPECT_EQ(contentOf(install.path(QStringLiteral("readme.txt"))), QStringLiteral("old"));
    other.kill();
    other.waitForFinished();
    EXPECT_EQ(restarter.state(), QProcess::Running);
    old.kill();
    old.waitForFinished();
    EXPECT_TRUE(restarter.waitForFinished(60000));
    EXPECT_EQ(restarter.exitCode(), 0) << restarter.readAllStandardError().toStdString();
    EXPECT_TRUE(updated());
    EXPECT_EQ(install.waitForStarts(QStringLiteral("ZarvMulVideoEditor"), 2).size(), 2);
}

TEST_F(RestarterUpdate, BrokenArchiveShowsTheManualStepsAndStartsNothing)
{
    writeFile(archive, QByteArray("Rar!\x1a\x07\x00 broken", 16));
    const RestarterRun run = install.run({archive + QStringLiteral("\t1\tZarvMulVideoEditor\tZarv")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(
        run.errors,
        QStringLiteral("消息：升级包【") + archive
            + QStringLiteral("】已损坏或不完整（校验未通过），程序文件未做任何更改。请稍后重新更新！\n"));
    EXPECT_EQ(contentOf(install.path(QStringLiteral("readme.txt"))), QStringLiteral("old"));
    QThread::msleep(300);
    EXPECT_TRUE(install.starts(QStringLiteral("ZarvMulVideoEditor")).isEmpty());
}

TEST_F(RestarterUpdate, ArchiveWithEntriesOutsideTheFolderIsRefused)
{
    const QString evil = install.root.filePath(QStringLiteral("evil.rar"));
    writeFile(evil, StoredRar::archive({{QStringLiteral("../readme.txt"), "outside"}}));
    const RestarterRun run = install.run({evil + QStringLiteral("\t1\tZarvMulVideoEditor\tZarv")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("已拒绝解压"))) << run.errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(install.root.filePath(QStringLiteral("readme.txt"))));
    EXPECT_EQ(contentOf(install.path(QStringLiteral("readme.txt"))), QStringLiteral("old"));
    EXPECT_TRUE(install.starts(QStringLiteral("ZarvMulVideoEditor")).isEmpty());
}

// A damaged archive of the right length, one cut at an entry boundary, and a
// new program that crashes at start: the installation ends as it was.
TEST_F(RestarterUpdate, NoBadUpdateChangesTheInstallation)
{
    const QList<QPair<QString, QByteArray>> files = {{QStringLiteral("readme.txt"), "new"},
                                                     {QStringLiteral("sub dir/new file.txt"), "added"}};
    QByteArray flipped = StoredRar::archive(files);
    flipped[flipped.indexOf("new") + 1] = 'X';
    struct Case {
        const char *what;
        QByteArray archive;
        int oldStarts;  // the old program is started again only after a failed start of the new one
    };
    const Case cases[] = {
        {"damaged", flipped, 0},
        {"cut at an entry boundary", StoredRar::archive(files.mid(0, 1)).chopped(7), 0},
        {"crashing program",
         StoredRar::archive({{QStringLiteral("readme.txt"), "new"},
                             {QStringLiteral("ZarvMulVideoEditor"), "#!/bin/sh\nkill -SEGV $$\n"}},
                            0755),
         1},
    };
    for (const Case &c : cases) {
        const QMap<QString, QByteArray> before = install.snapshot();
        writeFile(archive, c.archive);
        const RestarterRun run = install.run({archive + QStringLiteral("\t1\tZarvMulVideoEditor\tZarv")});
        EXPECT_EQ(run.exitCode, 1) << c.what;
        QMap<QString, QByteArray> after = install.snapshot();
        EXPECT_EQ(after.keys(), before.keys()) << c.what;
        EXPECT_TRUE(after == before) << c.what;
        EXPECT_EQ(install.waitForStarts(QStringLiteral("ZarvMulVideoEditor"), c.oldStarts).size(),
                  c.oldStarts)
            << c.what;
        if (c.oldStarts > 0) {
            EXPECT_EQ(run.errors,
                      QStringLiteral("消息：《Zarv》的新版本无法启动，已恢复原版本并重新启动！\n"));
        }
    }
}

// An update cut short (a crash half way through the moves) is rolled back by
// the next restarter before it does anything else.
TEST_F(RestarterUpdate, AnUpdateCutShortIsRolledBackFirst)
{
    const QString work = install.path(QStringLiteral(".zarv-update"));
    writeFile(work + QStringLiteral("/old/readme.txt"), "old");
    QFile::rename(install.path(QStringLiteral("readme.txt")), install.path(QStringLiteral("moved")));
    writeFile(install.path(QStringLiteral("readme.txt")), "half");
    writeFile(install.path(QStringLiteral("added dir/a.txt")), "half");
    writeFile(work + QStringLiteral("/journal.txt"), "R readme.txt\nD added dir\nA added dir/a.txt\n");
    QFile::remove(install.path(QStringLiteral("moved")));
    writeFile(archive, "not an archive");
    const RestarterRun run = install.run({archive});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(contentOf(install.path(QStringLiteral("readme.txt"))), QStringLiteral("old"));
    EXPECT_FALSE(QFileInfo::exists(install.path(QStringLiteral("added dir"))));
    EXPECT_FALSE(QFileInfo::exists(work));
}

TEST(RestarterCommandLine, ModeFollowsTheFirstFieldThenTheWords)
{
    QTemporaryDir folder;
    const QString closeArchive = folder.filePath(QStringLiteral("closeup DoFails.rar"));
    QFile(closeArchive).open(QIODevice::WriteOnly);
    struct Case {
        QString line;
        RestarterMode mode;
    };
    const Case cases[] = {
        {closeArchive + QStringLiteral("\t1\tZarvMulVideoEditor\tt"), RestarterMode::Update},
        {folder.filePath(QStringLiteral("closeup/missing.rar")), RestarterMode::CloseWatch},
        {QStringLiteral("CLOSE\tapp\t标题"), RestarterMode::CloseWatch},
        {QStringLiteral("dofails\tZarvBatchTool"), RestarterMode::Relaunch},
        {QStringLiteral("close\tDoFails"), RestarterMode::CloseWatch},
        {QString(), RestarterMode::Update},
        {QStringLiteral("/nowhere/x.rar\t1"), RestarterMode::Update},
    };
    for (const Case &c : cases)
        EXPECT_EQ(RestarterCommandLine::parse(c.line).mode, c.mode) << c.line.toStdString();
    EXPECT_EQ(RestarterCommandLine::parse(QStringLiteral("close\tapp\t标题")).fields,
              (QStringList{QStringLiteral("close"), QStringLiteral("app"), QStringLiteral("标题")}));
}

TEST(RestarterCommandLine, UpdateFieldsTakeTheOtherProgramWhenMissing)
{
    const UpdateRequest full = UpdateRequest::fromFields({"a.rar", "1", "ZarvMulVideoEditor", "标题 1"});
    EXPECT_EQ(full.archive, QStringLiteral("a.rar"));
    EXPECT_EQ(full.restart, RestartAfterUnpacking::Yes);
    EXPECT_EQ(full.programFile, QStringLiteral("ZarvMulVideoEditor"));
    EXPECT_EQ(full.displayTitle, QStringLiteral("标题 1"));
    const UpdateRequest one = UpdateRequest::fromFields({"a.rar"});
    EXPECT_EQ(one.restart, RestartAfterUnpacking::No);
    EXPECT_EQ(one.programFile, QStringLiteral("ZarvBatchTool"));
    EXPECT_EQ(one.displayTitle, QStringLiteral("ZarvBatchTool"));
    EXPECT_EQ(UpdateRequest::fromFields({"a.rar", "yes"}).restart, RestartAfterUnpacking::No);
}

}  // namespace
