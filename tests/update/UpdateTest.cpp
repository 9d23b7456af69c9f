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

#include "app/update/DownloadProgressView.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

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
        {"02", V::UpToDate},
        {"  02 \t\r\nchanges\r\n", V::UpToDate},
        {"\xEF\xBB\xBF"
         "02\n",
         V::UpToDate},
        {" 03\r\n", V::UpdateDue},
        {"2.1.0\n", V::UpdateDue},
        {"", V::NoAnswer},
        {"\n03\n", V::NoAnswer},
        {"version 03", V::NoAnswer},
        {"03abc", V::NoAnswer},
        {"<!DOCTYPE html>\n<html><body>Not Found</body></html>", V::NoAnswer},
        // The whole first line is the version, however long.
        {"03" + QByteArray(300, ' ') + "junk\n", V::NoAnswer},
        {"03" + QByteArray(300, ' ') + "\n", V::UpdateDue},
        {"03" + QByteArray(5000, ' '), V::NoAnswer},
    };
    QTemporaryDir folder;
    for (const auto &[note, verdict] : cases) {
        ASSERT_TRUE(put(folder.filePath("Info.txt"), note));
        EXPECT_EQ(VersionCheck::readNote(folder.filePath("Info.txt"), "02"), verdict) << note.constData();
    }
    EXPECT_EQ(VersionCheck::readNote(folder.filePath("none.txt"), "02"), V::NoAnswer);

    const QByteArray digest(64, 'a');
    const std::pair<QByteArray, QByteArray> sums[] = {
        {"03\r\nsha256=" + digest.toUpper() + " \r\n", digest},
        {"03\nsha256=" + digest + "\n", digest},
        {"03\nsha256=" + digest.left(63) + "\n", ""},
        {"03\nsha256 = " + digest + "\n", ""},
        {"03\nnotes sha256=" + digest + "\n", ""},
        {"03\n", ""},
    };
    for (const auto &[note, sum] : sums) {
        ASSERT_TRUE(put(folder.filePath("Info.txt"), note));
        EXPECT_EQ(VersionCheck::archiveSha256(folder.filePath("Info.txt")), sum) << note.constData();
    }
}

TEST(ProgramUpdate, EntriesMustStayInsideTheProgramFolder)
{
    const std::pair<QStringList, bool> cases[] = {
        {{"ZarvMulVideoEditor", "lib/x.so", "文档 说明/读我.txt", "a/..b", "./c"}, true},
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
    const QByteArray good =
        StoredRar::archive({{"ZarvMulVideoEditor", QByteArray(3000, 'p')}, {"lib/a.txt", "a"}});
    QByteArray flipped = good;
    flipped[flipped.size() / 2] = 'q';  // inside the first entry's data: the length stays right
    const QByteArray firstEntryOnly =
        StoredRar::archive({{"ZarvMulVideoEditor", QByteArray(3000, 'p')}}).chopped(7);
    const std::pair<QString, QByteArray> cases[] = {
        {served, flipped},
        {served + ".nolength", firstEntryOnly},  // cut at an entry boundary, served without a length
        {served, good.left(good.size() / 2)},    // truncated archive
        {served, "<!DOCTYPE html><html><body>维护中</body></html>"},  // an HTML page
        {served, StoredRar::archive({{"ZarvMulVideoEditor", "p"}, {"../x", "outside"}})},
        {served, StoredRar::archive({{"lib/../../x", "outside"}})},
        {served, ""},
        {served + ".cut", good},        // announced whole, the transfer breaks off half way
        {site.filePath("none"), good},  // 404
    };
    for (const auto &[path, data] : cases) {
        for (const char *suffix : {"", ".cut", ".nolength"})
            QFile::remove(served + suffix);
        ASSERT_TRUE(put(path, data));
        ScriptedDialogs dialogs;
        ProgramUpdate update({QUrl(server.baseUrl()), programFolder, root.filePath("data/"), "标题"},
                             dialogs);
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

TEST(ProgramUpdate, TheNotesSha256MustMatchTheArchive)
{
    QTemporaryDir site, root;
    StaticWebServer server(site.path());
    ASSERT_TRUE(server.start()) << "the web server did not start";
    const QString programFolder = root.filePath("程序");
    QDir().mkpath(programFolder);
    ASSERT_TRUE(StandInRestarter::install(programFolder, root.filePath("record")));
    const QByteArray good = StoredRar::archive({{"ZarvMulVideoEditor", "new"}});
    ASSERT_TRUE(put(server.file(UpdateServer::archiveFileName()), good));
    const QByteArray sum = QCryptographicHash::hash(good, QCryptographicHash::Sha256).toHex();
    const QByteArray otherSum = QCryptographicHash::hash("other", QCryptographicHash::Sha256).toHex();
    const std::pair<QByteArray, ProgramUpdate::Outcome> cases[] = {
        {"03\nsha256=" + otherSum + "\n", ProgramUpdate::Outcome::Returned},
        {"03\nsha256=" + sum + "\n", ProgramUpdate::Outcome::HandedOver},
    };
    for (const auto &[note, outcome] : cases) {
        ScriptedDialogs dialogs;
        ProgramUpdate update({QUrl(server.baseUrl()), programFolder, root.filePath("data/"), "标题"},
                             dialogs);
        QDir().mkpath(root.filePath("data"));
        ASSERT_TRUE(put(update.noteFilePath(), note));
        EXPECT_EQ(update.run(), outcome) << note.constData();
        if (outcome == ProgramUpdate::Outcome::Returned) {
            EXPECT_EQ(dialogs.messageTexts(), QStringList{ProgramUpdate::downloadFailedText()});
            EXPECT_FALSE(QFileInfo::exists(update.archivePath()));
            EXPECT_FALSE(QFileInfo::exists(root.filePath("record")));
        } else {
            EXPECT_EQ(StandInRestarter::waitForStart(root.filePath("record")).value(1),
                      update.handOverParameters());
        }
    }
}

// Records what the view is shown and presses Cancel once enough has come.
class RecordingProgress : public DownloadProgressView {
public:
    explicit RecordingProgress(qint64 cancelAtBytes) : m_cancelAtBytes(cancelAtBytes) {}
    void open(std::function<void()> cancel) override
    {
        ++opened;
        m_cancel = std::move(cancel);
    }
    void setProgress(qint64 receivedBytes, qint64 totalBytes) override
    {
        lastReceived = receivedBytes;
        lastTotal = totalBytes;
        if (m_cancelAtBytes > 0 && receivedBytes >= m_cancelAtBytes && m_cancel)
            std::exchange(m_cancel, nullptr)();
    }
    void close() override { ++closed; }

    int opened = 0, closed = 0;
    qint64 lastReceived = 0, lastTotal = 0;

private:
    qint64 m_cancelAtBytes;
    std::function<void()> m_cancel;
};

TEST(ProgramUpdate, CancelATimeoutOrATrickleEndTheDownloadAndChangeNothing)
{
    QTemporaryDir site, root;
    StaticWebServer server(site.path());
    ASSERT_TRUE(server.start()) << "the web server did not start";
    const QString programFolder = root.filePath("程序");
    QDir().mkpath(programFolder);
    ASSERT_TRUE(StandInRestarter::install(programFolder, root.filePath("record")));
    // Served one byte every 0.2 s: 40 s for the whole archive.
    ASSERT_TRUE(put(server.file(UpdateServer::archiveFileName()) + ".slow",
                    StoredRar::archive({{"ZarvMulVideoEditor", QByteArray(100, 'n')}})));
    struct Case {
        const char *what;
        qint64 cancelAtBytes;
        UrlDownload::Limits limits;
        QStringList messages;
    };
    UrlDownload::Limits overall = ProgramUpdate::defaultArchiveLimits(), trickle = overall;
    overall.total = std::chrono::milliseconds(1500);
    trickle.minimumBytesPerSecond = 100;
    trickle.rateWindow = std::chrono::milliseconds(1000);
    const Case cases[] = {
        {"cancel", 3, ProgramUpdate::defaultArchiveLimits(), {}},
        {"overall limit", 0, overall, {ProgramUpdate::downloadFailedText()}},
        {"minimum rate", 0, trickle, {ProgramUpdate::downloadFailedText()}},
    };
    for (const Case &c : cases) {
        ScriptedDialogs dialogs;
        RecordingProgress progress(c.cancelAtBytes);
        ProgramUpdate update({QUrl(server.baseUrl()), programFolder, root.filePath("data/"), "标题"}, dialogs,
                             &progress, c.limits);
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(update.run(), ProgramUpdate::Outcome::Returned) << c.what;
        EXPECT_LT(timer.elapsed(), 10000) << c.what;
        EXPECT_EQ(dialogs.messageTexts(), c.messages) << c.what;
        EXPECT_EQ(progress.opened, 1) << c.what;
        EXPECT_EQ(progress.closed, 1) << c.what;
        EXPECT_GT(progress.lastReceived, 0) << c.what;
        EXPECT_EQ(progress.lastTotal,
                  StoredRar::archive({{"ZarvMulVideoEditor", QByteArray(100, 'n')}}).size());
        EXPECT_EQ(QDir(programFolder).entryList(QDir::Files | QDir::Hidden), QStringList{"ZarvRebooter"})
            << c.what;
    }
    EXPECT_FALSE(QFileInfo::exists(root.filePath("record")));
}

// A copy of the built main program with a stand-in restarter beside it.
struct StandInProgram {
    StandInProgram()
    {
        QDir().mkpath(folder);
        for (const char *name : {"ZarvMulVideoEditor", "CutMedia.dll", "Black.dll"})
            QFile::copy(QStringLiteral(ZARV_PROGRAM_DIR "/") + name, folder + "/" + name);
        StandInRestarter::install(folder, root.filePath("record"));
        environment.insert("XDG_CACHE_HOME", root.filePath("cache"));
        environment.insert("XDG_DATA_HOME", root.filePath("data"));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
    }
    QString job(const QString &text) const
    {
        put(root.filePath("job.txt"), text.toUtf8());
        return root.filePath("job.txt");
    }
    QString note() const { return root.filePath("data/ZarvMulVideoEditor/Info.txt"); }

    QTemporaryDir root;
    QString folder = root.filePath("安装");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
};

TEST(BatchUpdate, AJobMeetingAPublishedUpdateIsRefusedAndNothingIsHandedOver)
{
    QTemporaryDir site;
    StaticWebServer server(site.path());
    ASSERT_TRUE(server.start()) << "the web server did not start";
    ASSERT_TRUE(put(server.file(UpdateServer::noteFileName()), "03\n"));
    ASSERT_TRUE(
        put(server.file(UpdateServer::archiveFileName()), StoredRar::archive({{"ZarvMulVideoEditor", "n"}})));
    StandInProgram program;
    program.environment.insert("ZARV_UPDATE_URL", server.baseUrl());
    QProcess batch;
    batch.setProcessEnvironment(program.environment);
    QElapsedTimer timer;
    timer.start();
    batch.start(program.folder + "/ZarvMulVideoEditor", {"--batch", program.job("TMax=1\n")});
    ASSERT_TRUE(batch.waitForFinished(10000));
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_EQ(batch.exitCode(), 2);
    EXPECT_TRUE(QString::fromUtf8(batch.readAllStandardError()).contains("请先更新方能使用！"));
    QThread::msleep(500);
    EXPECT_FALSE(QFileInfo::exists(program.root.filePath("record"))) << "a restarter was started";
    EXPECT_FALSE(QFileInfo::exists(program.folder + "/ZarvMulVideoEditor.rar"));
}

// Whatever the server sends as the version note, the program starts within
// the check's limit, in little memory, and keeps at most 4 KiB of it.
TEST(VersionCheck, AHostileServerCannotHoldUpOrFloodTheStart)
{
    QTemporaryDir site;
    StaticWebServer server(site.path());
    ASSERT_TRUE(server.start()) << "the web server did not start";
    StandInProgram program;
    program.environment.insert("ZARV_UPDATE_URL", server.baseUrl());
    const QString note = server.file(UpdateServer::noteFileName());
    for (const char *kind : {".endless", ".huge", ".hang", ".bighead"}) {
        ASSERT_TRUE(put(note + kind, ""));
        QFile::remove(program.note());
        QProcess start;
        start.setProcessEnvironment(program.environment);
        QElapsedTimer timer;
        timer.start();
        start.start(program.folder + "/ZarvMulVideoEditor", {"--batch", program.job("TMax=1\n"), "--check"});
        EXPECT_TRUE(start.waitForFinished(20000)) << kind;
        EXPECT_LT(timer.elapsed(), 6000) << kind;
        EXPECT_EQ(start.exitCode(), 0) << kind << start.readAllStandardError().constData();
        EXPECT_LE(QFileInfo(program.note()).size(), 4096) << kind;
        QFile::remove(note + kind);
    }
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    EXPECT_LT(usage.ru_maxrss, 100 * 1024) << "kilobytes at most of the largest program run";
}

// The real restarter, handed over to by the real download, puts a new
// program in place and starts it.
TEST(ProgramUpdate, AGoodUpdateEndsWithTheNewProgramRunning)
{
    QTemporaryDir site, root;
    StaticWebServer server(site.path());
    ASSERT_TRUE(server.start()) << "the web server did not start";
    const QString programFolder = root.filePath("程序 目录");
    QDir().mkpath(programFolder);
    ASSERT_TRUE(QFile::copy(ZARV_PROGRAM_DIR "/ZarvRebooter", programFolder + "/ZarvRebooter"));
    ASSERT_TRUE(put(programFolder + "/ZarvMulVideoEditor", "#!/bin/sh\nexit 0\n"));
    ASSERT_TRUE(put(programFolder + "/readme.txt", "old"));
    QFile standIn(ZARV_STANDIN);
    ASSERT_TRUE(standIn.open(QIODevice::ReadOnly));
    ASSERT_TRUE(put(
        server.file(UpdateServer::archiveFileName()),
        StoredRar::archive(
            {{"ZarvMulVideoEditor", standIn.readAll()}, {"readme.txt", "new"}, {"lib/new file.txt", "added"}},
            0755)));
    ScopedEnvironment headless("ZARV_NO_DIALOGS", "1");
    ScopedEnvironment quick("ZARV_RESTARTER_WAIT_FACTOR", "0.05");
    ScriptedDialogs dialogs;
    ProgramUpdate update({QUrl(server.baseUrl()), programFolder, root.filePath("data/"), "标题"}, dialogs);
    ASSERT_EQ(update.run(), ProgramUpdate::Outcome::HandedOver);
    QFile log(programFolder + "/ZarvMulVideoEditor.log");
    for (int pass = 0; pass < 100 && !log.exists(); ++pass)
        QThread::msleep(100);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly)) << "the new program did not start";
    const qint64 pid = log.readAll().split(' ').value(0).toLongLong();
    // The old files go once the new program has stayed up.
    for (int pass = 0; pass < 100 && QFileInfo::exists(programFolder + "/.zarv-update"); ++pass)
        QThread::msleep(100);
    EXPECT_TRUE(pid > 0 && ::kill(pid_t(pid), 0) == 0) << "the new program is not running";
    QFile readme(programFolder + "/readme.txt"), added(programFolder + "/lib/new file.txt");
    EXPECT_TRUE(readme.open(QIODevice::ReadOnly) && readme.readAll() == "new");
    EXPECT_TRUE(added.open(QIODevice::ReadOnly) && added.readAll() == "added");
    EXPECT_FALSE(QFileInfo::exists(programFolder + "/.zarv-update"));
    if (pid > 0)
        ::kill(pid_t(pid), SIGKILL);
}

}  // namespace
