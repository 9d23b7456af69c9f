// The update server address, the download, the version note and the update
// with its hand-over, against a web server on a loopback port and bsdtar.
#include "LocalHttpServer.h"
#include "ProcessWaits.h"
#include "ScopedEnvironment.h"
#include "ScriptedDialogs.h"
#include "StandInRestarter.h"
#include "StoredRar.h"
#include "app/update/DownloadUrlToFile.h"
#include "app/update/ProgramUpdate.h"
#include "app/update/UpdateServer.h"
#include "app/update/VersionCheck.h"
#include "platform/RarTool.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Response = LocalHttpServer::Response;
using Delivery = LocalHttpServer::Delivery;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

QByteArray goodArchive()
{
    return StoredRar::archive({{"ZarvMulVideoEditor", QByteArray(3000, 'p')}, {"lib/readme.txt", "new version\n"}});
}

TEST(UpdateServer, BaseUrlIsAnHttpFolderUrl)
{
    const struct {
        const char *text;
        const char *url;  // empty: off
    } cases[] = {
        {"", ""},
        {"   ", ""},
        {"http://updates.example.org/zarv/", "http://updates.example.org/zarv/"},
        {" https://updates.example.org/zarv ", "https://updates.example.org/zarv/"},
        {"http://127.0.0.1:8765", "http://127.0.0.1:8765/"},
        {"ftp://updates.example.org/", ""},
        {"file:///srv/updates/", ""},
        {"updates.example.org/zarv/", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(UpdateServer::baseUrlFrom(c.text).toString(), QString(c.url)) << c.text;
    EXPECT_EQ(UpdateServer::fileUrl(QUrl("http://h:1/a/"), "ZarvMulVideoEditor.txt").toString(),
              "http://h:1/a/downs/ZarvMulVideoEditor.txt");

    {
        ScopedEnvironment off("ZARV_UPDATE_URL", "");
        EXPECT_FALSE(UpdateServer::baseUrl().isValid());
    }
    ScopedEnvironment set("ZARV_UPDATE_URL", "http://127.0.0.1:9/u");
    EXPECT_EQ(UpdateServer::baseUrl().toString(), "http://127.0.0.1:9/u/");
}

TEST(DownloadUrlToFile, OnlyACompleteAnswer200LeavesAFile)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.start());
    const QByteArray body(200000, 'x');
    server.serve("/whole", {200, body});
    server.serve("/cut", {200, body, "application/octet-stream", Delivery::CutShort});
    server.serve("/silent", {200, body, "application/octet-stream", Delivery::Never});
    server.serve("/error", {500, "<html>server error</html>", "text/html"});

    const struct {
        QString url;
        bool ok;
    } cases[] = {
        {server.baseUrl() + "whole", true},
        {server.baseUrl() + "missing", false},
        {server.baseUrl() + "error", false},
        {server.baseUrl() + "cut", false},
        {server.baseUrl() + "silent", false},
        {QStringLiteral("http://127.0.0.1:%1/whole").arg(LocalHttpServer::unusedPort()), false},
    };
    for (const auto &c : cases) {
        QTemporaryDir folder;
        const QString target = folder.filePath("下载 文件.bin");
        EXPECT_EQ(DownloadUrlToFile(QUrl(c.url), target, {std::chrono::milliseconds(1500), std::chrono::milliseconds(1500)}),
                  c.ok)
            << qPrintable(c.url);
        EXPECT_EQ(QFileInfo::exists(target), c.ok) << qPrintable(c.url);
        if (c.ok) {
            EXPECT_EQ(readAll(target), body);
        }
        // No temporary file is left behind either.
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), c.ok ? 1 : 0) << qPrintable(c.url);
    }
    // Every request asks past any cache.
    ASSERT_FALSE(server.requests().isEmpty());
    for (const QString &head : server.requests())
        EXPECT_TRUE(head.contains("Cache-Control: no-cache", Qt::CaseInsensitive)) << qPrintable(head);
}

TEST(VersionCheck, OnlyAnotherVersionNumberMakesAnUpdateDue)
{
    using V = VersionCheck::Verdict;
    const struct {
        QByteArray note;
        V verdict;
    } cases[] = {
        {"02", V::UpToDate},
        {"  02 \t\r\nchanges\r\n", V::UpToDate},
        {"\xEF\xBB\xBF" "02\n", V::UpToDate},
        {"03", V::UpdateDue},
        {" 03\r\n", V::UpdateDue},
        {"2.1.0\n", V::UpdateDue},
        {"", V::NoAnswer},
        {"\n03\n", V::NoAnswer},
        {"<!DOCTYPE html>\n<html><body>Not Found</body></html>", V::NoAnswer},
        {"version 03", V::NoAnswer},
        {"03abc", V::NoAnswer},
    };
    QTemporaryDir folder;
    const QString note = folder.filePath("Info.txt");
    for (const auto &c : cases) {
        ASSERT_TRUE(writeFile(note, c.note));
        EXPECT_EQ(VersionCheck::readNote(note, "02"), c.verdict) << c.note.constData();
    }
    EXPECT_EQ(VersionCheck::readNote(folder.filePath("none.txt"), "02"), V::NoAnswer);
}

TEST(VersionCheck, AServerThatNeverAnswersEndsTheCheckAtItsLimit)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.start());
    server.serve("/downs/ZarvMulVideoEditor.txt", {200, "03", "text/plain", Delivery::Never});
    QTemporaryDir folder;
    VersionCheck check(UpdateServer::fileUrl(QUrl(server.baseUrl()), UpdateServer::noteFileName()),
                       folder.filePath("Info.txt"), "02", std::chrono::milliseconds(500));
    check.start();
    EXPECT_EQ(check.verdict(), VersionCheck::Verdict::Pending) << "the check does not hold up its caller";
    check.waitForVerdict();
    EXPECT_EQ(check.verdict(), VersionCheck::Verdict::NoAnswer);
    EXPECT_FALSE(QFileInfo::exists(folder.filePath("Info.txt")));
}

TEST(ProgramUpdate, EntriesMustStayInsideTheProgramFolder)
{
    const struct {
        QStringList entries;
        bool inside;
    } cases[] = {
        {{"ZarvMulVideoEditor", "lib/x.so", "文档 说明/读我.txt"}, true},
        {{"a/..b", "./c"}, true},
        {{}, false},
        {{"ok", ""}, false},
        {{"../x"}, false},
        {{"lib/../../x"}, false},
        {{"..\\x"}, false},
        {{"/etc/x"}, false},
        {{"\\x"}, false},
        {{"C:/Windows/x"}, false},
        {{"ok", "a/.."}, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ProgramUpdate::entriesStayInside(c.entries), c.inside) << qPrintable(c.entries.join('|'));
}

// An installation in a temporary folder with a stand-in restarter that
// records its parameters and working folder.
class ProgramUpdateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start());
        ASSERT_FALSE(RarTool::locate().isEmpty()) << "bsdtar (libarchive-tools) is needed";
        programFolder = root.filePath("程序 目录");
        dataFolder = root.filePath("data") + "/";
        QDir().mkpath(programFolder);
        QDir().mkpath(dataFolder);
        record = root.filePath("restarter.txt");
        ASSERT_TRUE(StandInRestarter::install(programFolder, record));
    }

    ProgramUpdate::Outcome runUpdate()
    {
        ProgramUpdate update({QUrl(server.baseUrl()), programFolder, dataFolder, "四分屏视频批量编辑器"}, dialogs);
        return update.run();
    }

    QString archive() const { return programFolder + "/ZarvMulVideoEditor.rar"; }
    void serveArchive(const Response &response) { server.serve("/downs/ZarvVedioEditor.rar", response); }

    QTemporaryDir root;
    LocalHttpServer server;
    ScriptedDialogs dialogs;
    QString programFolder;
    QString dataFolder;
    QString record;
};

TEST_F(ProgramUpdateTest, AGoodArchiveIsHandedOverWithTheFourFields)
{
    ASSERT_TRUE(writeFile(archive(), "old download"));
    serveArchive({200, goodArchive()});
    EXPECT_EQ(runUpdate(), ProgramUpdate::Outcome::HandedOver);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{ProgramUpdate::downloadedText()});
    EXPECT_EQ(readAll(archive()), goodArchive());

    const auto start = StandInRestarter::waitForStart(record);
    ASSERT_TRUE(start) << "the restarter did not run";
    EXPECT_EQ(start->parameterCount, 1) << "one parameter string";
    EXPECT_EQ(start->parameters, archive() + "\t1\tZarvMulVideoEditor\t四分屏视频批量编辑器");
    EXPECT_EQ(QFileInfo(start->workingFolder).canonicalFilePath(), QFileInfo(programFolder).canonicalFilePath());
}

TEST_F(ProgramUpdateTest, ABadOrUnsafeArchiveIsRefusedAsAFailedDownload)
{
    const QByteArray good = goodArchive();
    const Response cases[] = {
        {200, good.left(good.size() / 2)},                                          // truncated archive
        {200, "<!DOCTYPE html><html><body>维护中</body></html>", "text/html"},       // an HTML page
        {200, StoredRar::archive({{"ZarvMulVideoEditor", "p"}, {"../x", "outside"}})},
        {200, StoredRar::archive({{"lib/../../x", "outside"}})},
        {200, ""},                                                                  // empty
        {404, "<html>404</html>", "text/html"},
        {200, good, "application/octet-stream", Delivery::CutShort},              // transfer cut short
    };
    for (const Response &response : cases) {
        dialogs.clear();
        serveArchive(response);
        EXPECT_EQ(runUpdate(), ProgramUpdate::Outcome::Returned);
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.messages[0].text, ProgramUpdate::downloadFailedText());
        EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Warning);
        EXPECT_FALSE(QFileInfo::exists(archive()));
    }
    EXPECT_FALSE(QFileInfo::exists(record)) << "nothing was handed over";
}

TEST_F(ProgramUpdateTest, NoToolSaysWhichPackageToInstall)
{
    serveArchive({200, goodArchive()});
    QTemporaryDir emptyPath;
    ScopedEnvironment path("PATH", emptyPath.path().toUtf8());
    EXPECT_EQ(runUpdate(), ProgramUpdate::Outcome::Returned);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{ProgramUpdate::installPackageText()});
    EXPECT_TRUE(ProgramUpdate::installPackageText().contains("libarchive-tools"));
    EXPECT_TRUE(server.requests().isEmpty()) << "nothing is downloaded";
}

TEST_F(ProgramUpdateTest, AMissingRestarterBringsTheWindowBackAndKeepsTheArchive)
{
    QFile::remove(programFolder + "/ZarvRebooter");
    serveArchive({200, goodArchive()});
    EXPECT_EQ(runUpdate(), ProgramUpdate::Outcome::Returned);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{ProgramUpdate::downloadedText()});
    EXPECT_TRUE(QFileInfo(archive()).isFile());
}

}  // namespace
