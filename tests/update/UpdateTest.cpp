// The update server's address, the version note and the checks on the
// downloaded update archive, against Python's http.server on a loopback port and
// the real bsdtar.
#include "ScopedEnvironment.h"
#include "ScriptedDialogs.h"
#include "StandInRestarter.h"
#include "StaticWebServer.h"
#include "StoredRar.h"
#include "app/update/ProgramUpdate.h"
#include "app/update/UpdateServer.h"
#include "app/update/VersionCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

bool put(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

TEST(UpdateServer, BaseUrlIsAnHttpFolderUrl)
{
    const char *cases[][2] = {
        {"", ""},
        {" https://updates.example.org/zarv ", "https://updates.example.org/zarv/"},
        {"http://127.0.0.1:8765", "http://127.0.0.1:8765/"},
        {"ftp://updates.example.org/", ""},
        {"file:///srv/updates/", ""},
        {"updates.example.org/zarv/", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(UpdateServer::baseUrlFrom(c[0]).toString(), QString(c[1])) << c[0];
    EXPECT_EQ(UpdateServer::fileUrl(QUrl("http://h:1/a/"), "n.txt").toString(), "http://h:1/a/downs/n.txt");
    {
        ScopedEnvironment off("ZARV_UPDATE_URL", "");
        EXPECT_FALSE(UpdateServer::baseUrl().isValid());
    }
    ScopedEnvironment set("ZARV_UPDATE_URL", "http://127.0.0.1:9/u");
    EXPECT_EQ(UpdateServer::baseUrl().toString(), "http://127.0.0.1:9/u/");
}

TEST(VersionCheck, OnlyAnotherVersionNumberMakesAnUpdateDue)
{
    using V = VersionCheck::Verdict;
    const std::pair<QByteArray, V> cases[] = {
        {"02", V::UpToDate},         {"  02 \t\r\nchanges\r\n", V::UpToDate}, {"\xEF\xBB\xBF" "02\n", V::UpToDate},
        {" 03\r\n", V::UpdateDue},   {"2.1.0\n", V::UpdateDue},              {"", V::NoAnswer},
        {"\n03\n", V::NoAnswer},     {"version 03", V::NoAnswer},            {"03abc", V::NoAnswer},
        {"<!DOCTYPE html>\n<html><body>Not Found</body></html>", V::NoAnswer},
    };
    QTemporaryDir folder;
    for (const auto &[note, verdict] : cases) {
        ASSERT_TRUE(put(folder.filePath("Info.txt"), note));
        EXPECT_EQ(VersionCheck::readNote(folder.filePath("Info.txt"), "02"), verdict) << note.constData();
    }
    EXPECT_EQ(VersionCheck::readNote(folder.filePath("none.txt"), "02"), V::NoAnswer);
}

TEST(ProgramUpdate, EntriesMustStayInsideTheProgramFolder)
{
    const std::pair<QStringList, bool> cases[] = {
        {{"ZarvMulVideoEditor", "lib/x.so", "文档 说明/读我.txt", "a/..b", "./c"}, true},
        {{}, false},          {{"ok", ""}, false},      {{"../x"}, false},          {{"lib/../../x"}, false},
        {{"..\\x"}, false},   {{"/etc/x"}, false},      {{"\\x"}, false},           {{"C:/Windows/x"}, false},
        {{"ok", "a/.."}, false},
    };
    for (const auto &[entries, inside] : cases)
        EXPECT_EQ(ProgramUpdate::entriesStayInside(entries), inside) << qPrintable(entries.join('|'));
}

TEST(ProgramUpdate, ABadOrUnsafeArchiveIsRefusedAsAFailedDownload)
{
    QTemporaryDir site, root;
    StaticWebServer server(site.path());
    ASSERT_TRUE(server.start()) << "the web server did not start";
    const QString programFolder = root.filePath("程序 目录");
    QDir().mkpath(programFolder);
    ASSERT_TRUE(StandInRestarter::install(programFolder, root.filePath("record")));
    const QString served = server.file(UpdateServer::archiveFileName());
    const QByteArray good = StoredRar::archive({{"ZarvMulVideoEditor", QByteArray(3000, 'p')}, {"lib/a.txt", "a"}});
    const std::pair<QString, QByteArray> cases[] = {
        {served, good.left(good.size() / 2)},                                      // truncated archive
        {served, "<!DOCTYPE html><html><body>维护中</body></html>"},              // an HTML page
        {served, StoredRar::archive({{"ZarvMulVideoEditor", "p"}, {"../x", "outside"}})},
        {served, StoredRar::archive({{"lib/../../x", "outside"}})},
        {served, ""},
        {served + ".cut", good},  // announced whole, the transfer breaks off half way
        {site.filePath("none"), good},                                             // 404
    };
    for (const auto &[path, data] : cases) {
        QFile::remove(served);
        QFile::remove(served + ".cut");
        ASSERT_TRUE(put(path, data));
        ScriptedDialogs dialogs;
        ProgramUpdate update({QUrl(server.baseUrl()), programFolder, root.filePath("data/"), "标题"}, dialogs);
        EXPECT_EQ(update.run(), ProgramUpdate::Outcome::Returned);
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.messages[0].text, ProgramUpdate::downloadFailedText());
        EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Warning);
        // Neither the archive nor a temporary file of the download is left.
        EXPECT_EQ(QDir(programFolder).entryList(QDir::Files | QDir::Hidden), QStringList{"ZarvRebooter"});
    }
    EXPECT_FALSE(QFileInfo::exists(root.filePath("record"))) << "nothing was handed over";

    // Without the tool nothing is downloaded and the user hears which package to install.
    QTemporaryDir emptyPath;
    ScopedEnvironment path("PATH", emptyPath.path().toUtf8());
    ASSERT_TRUE(put(served, good));
    ScriptedDialogs dialogs;
    ProgramUpdate update({QUrl(server.baseUrl()), programFolder, root.filePath("data/"), "标题"}, dialogs);
    EXPECT_EQ(update.run(), ProgramUpdate::Outcome::Returned);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{ProgramUpdate::installPackageText()});
    EXPECT_FALSE(QFileInfo::exists(update.archivePath()));
}

}  // namespace
