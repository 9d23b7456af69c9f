#include "Installation.h"
#include "platform/RarTool.h"
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

// An update archive: a zip written by bsdtar (which reads RAR archives too;
// no RAR writer is packaged), holding the given files relative to `from`.
void makeArchive(const QString &archive, const QString &from, const QStringList &entries,
                 const QStringList &options = {QStringLiteral("--format"), QStringLiteral("zip")})
{
    QDir().mkpath(QFileInfo(archive).absolutePath());
    QProcess tool;
    tool.setWorkingDirectory(from);
    tool.start(QStringLiteral("bsdtar"), QStringList{QStringLiteral("-c")} + options +
                                             QStringList{QStringLiteral("-f"), archive} + entries);
    ASSERT_TRUE(tool.waitForFinished(30000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
}

// The installation holds "说明.txt" (old) and the stand-in programs; the
// archive brings a new "说明.txt" and a file in a new subfolder.
class RestarterUpdate : public testing::Test {
protected:
    void SetUp() override
    {
        install.addStandIn(QStringLiteral("ZarvMulVideoEditor"));
        install.addStandIn(QStringLiteral("ZarvBatchTool"));
        writeFile(install.path(QStringLiteral("说明.txt")), "old");
        const QString staging = install.root.filePath(QStringLiteral("staging"));
        writeFile(staging + QStringLiteral("/说明.txt"), "new");
        writeFile(staging + QStringLiteral("/子 目录/新 文件.txt"), "added");
        archive = install.root.filePath(QStringLiteral("closeup 下载/ZarvMulVideoEditor.rar"));
        makeArchive(archive, staging, {QStringLiteral("说明.txt"), QStringLiteral("子 目录")});
    }
    bool updated() const
    {
        return contentOf(install.path(QStringLiteral("说明.txt"))) == QStringLiteral("new") &&
               contentOf(install.path(QStringLiteral("子 目录/新 文件.txt"))) == QStringLiteral("added");
    }

    Installation install;
    QString archive;
};

TEST_F(RestarterUpdate, HandOverUnpacksOverTheInstallationAndStartsTheProgramAgain)
{
    // The archive's folder name holds "close": still an update.
    const RestarterRun run = install.run(
        {archive + QStringLiteral("\t1\tZarvMulVideoEditor\tZarv 视频 编辑")});
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
    EXPECT_EQ(contentOf(install.path(QStringLiteral("说明.txt"))), QStringLiteral("old"));
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
    EXPECT_TRUE(run.errors.startsWith(QStringLiteral("消息：本次自动更新解压失败！请人工右键升级包 【") + archive +
                                      QStringLiteral("】 ，选择人工解压到当前文件夹下覆盖所有方能成功完成自动更新！")))
        << run.errors.toStdString();
    EXPECT_EQ(contentOf(install.path(QStringLiteral("说明.txt"))), QStringLiteral("old"));
    QThread::msleep(300);
    EXPECT_TRUE(install.starts(QStringLiteral("ZarvMulVideoEditor")).isEmpty());
}

TEST_F(RestarterUpdate, ArchiveWithEntriesOutsideTheFolderIsRefused)
{
    const QString inner = install.root.filePath(QStringLiteral("staging/inner"));
    QDir().mkpath(inner);
    const QString evil = install.root.filePath(QStringLiteral("evil.rar"));
    makeArchive(evil, inner, {QStringLiteral("../说明.txt")}, {QStringLiteral("-P")});
    const RestarterRun run = install.run({evil + QStringLiteral("\t1\tZarvMulVideoEditor\tZarv")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("已拒绝解压"))) << run.errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(install.root.filePath(QStringLiteral("说明.txt"))));
    EXPECT_EQ(contentOf(install.path(QStringLiteral("说明.txt"))), QStringLiteral("old"));
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

TEST(RarTool, EntriesLeavingTheFolderAreRecognised)
{
    EXPECT_FALSE(RarTool::locate().isEmpty());
    const std::pair<QString, bool> cases[] = {
        {QStringLiteral("说明.txt"), false},   {QStringLiteral("子 目录/a..b.txt"), false},
        {QStringLiteral("./a/"), false},       {QStringLiteral("../a"), true},
        {QStringLiteral("a/../../b"), true},   {QStringLiteral("a\\..\\b"), true},
        {QStringLiteral("/etc/passwd"), true}, {QStringLiteral("C:\\Windows\\x"), true},
        {QStringLiteral("\\\\server\\x"), true},
    };
    for (const auto &[entry, leaves] : cases)
        EXPECT_EQ(RarTool::entryLeavesFolder(entry), leaves) << entry.toStdString();
}

}  // namespace
