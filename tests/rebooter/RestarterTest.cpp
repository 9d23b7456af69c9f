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
    QProcess restarter;
    install.start(restarter, {archive + QStringLiteral("\t1\tZarvMulVideoEditor\tZarv")});
    // Well past the two seconds the old program was given: nothing unpacked yet.
    EXPECT_FALSE(restarter.waitForFinished(4000));
    EXPECT_EQ(contentOf(install.path(QStringLiteral("readme.txt"))), QStringLiteral("old"));
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
    EXPECT_TRUE(run.errors.startsWith(
        QStringLiteral("消息：本次自动更新解压失败！请人工右键升级包 【") + archive
        + QStringLiteral("】 ，选择人工解压到当前文件夹下覆盖所有方能成功完成自动更新！")))
        << run.errors.toStdString();
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
