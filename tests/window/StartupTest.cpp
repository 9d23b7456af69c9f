// Start-up with the version check against a web server on a loopback port,
// and the update button with its hand-over.
#include "StandInRestarter.h"
#include "StaticWebServer.h"
#include "StoredRar.h"
#include "WindowHarness.h"
#include "app/update/ProgramUpdate.h"
#include "app/update/UpdateServer.h"
#include "app/window/RunDriver.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

bool put(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

bool paintedRed(const QPushButton *button)
{
    return button->autoFillBackground() && button->palette().color(QPalette::Button) == QColor(255, 0, 0);
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.start()) << "the web server did not start"; }
    QString note() const { return server.file("ZarvMulVideoEditor.txt"); }

    QTemporaryDir site;
    StaticWebServer server{site.path()};
};

TEST_F(Startup, OnlyANoteWithAnotherVersionEnablesTheUpdate)
{
    const struct {
        const char *note;  // nullptr: no note (404)
        bool due;
    } cases[] = {{"  02  \r\n", false}, {"03\r\n", true}, {"<!DOCTYPE html>\n<html><body>首页</body></html>", false},
                 {"", false}, {nullptr, false}};
    for (const auto &c : cases) {
        QFile::remove(note());
        if (c.note) {
            ASSERT_TRUE(put(note(), c.note));
        }
        WindowHarness h{QUrl(server.baseUrl())};
        h.window->awaitVersionCheck();
        EXPECT_EQ(h.c().CmdUpdate->isEnabled(), c.due) << (c.note ? c.note : "404");
        EXPECT_EQ(paintedRed(h.c().CmdUpdate), c.due) << (c.note ? c.note : "404");
        EXPECT_EQ(h.c().TV->text(), "02");
        EXPECT_FALSE(h.c().TV->isVisible());
    }
    WindowHarness unreachable{QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(StaticWebServer::unusedPort()))};
    unreachable.window->awaitVersionCheck();
    EXPECT_EQ(unreachable.window->versionVerdict(), VersionCheck::Verdict::NoAnswer);
    EXPECT_FALSE(unreachable.c().CmdUpdate->isEnabled());
}

TEST_F(Startup, AServerThatNeverAnswersDoesNotHoldUpTheWindow)
{
    ASSERT_TRUE(put(note() + ".hang", ""));
    WindowHarness h{QUrl(server.baseUrl())};
    EXPECT_TRUE(h.window->isVisible());
    EXPECT_EQ(h.window->versionVerdict(), VersionCheck::Verdict::Pending);
    h.window->awaitVersionCheck();  // ends at the check's time limit
    EXPECT_EQ(h.window->versionVerdict(), VersionCheck::Verdict::NoAnswer);
    EXPECT_FALSE(h.c().CmdUpdate->isEnabled());
}

TEST_F(Startup, AMakePressWaitsForTheCheckStillUnderWay)
{
    ASSERT_TRUE(put(note(), "03") && put(note() + ".late", ""));
    WindowHarness h{QUrl(server.baseUrl())};
    h.c().LOutDir->setText(site.path());
    EXPECT_EQ(h.window->versionVerdict(), VersionCheck::Verdict::Pending);
    h.c().CmdDo->click();
    EXPECT_EQ(h.dialogs.messageTexts().value(0), "请先更新方能使用！");
    EXPECT_FALSE(h.window->runDriver().lastSummary().started);
}

TEST_F(Startup, ARunIsRefusedAndTheUpdateHandsOverOrComesBack)
{
    ASSERT_TRUE(put(note(), "03"));
    ASSERT_TRUE(put(server.file(UpdateServer::archiveFileName()), StoredRar::archive({{"ZarvMulVideoEditor", "new"}})));
    QTemporaryDir root;
    const QString record = root.filePath("record");
    WindowHarness h{QUrl(server.baseUrl()), root.path()};
    h.window->awaitVersionCheck();
    h.c().LOutDir->setText(root.path());
    QSignalSpy end(h.window.get(), &FFmain::programEndRequested);

    // No restarter beside the program: the window comes back.
    h.c().CmdDo->click();
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList({"请先更新方能使用！", ProgramUpdate::downloadedText()}));
    EXPECT_TRUE(h.window->isVisible());
    EXPECT_EQ(end.count(), 0);

    ASSERT_TRUE(StandInRestarter::install(root.path(), record));
    h.c().CmdUpdate->click();
    EXPECT_EQ(end.count(), 1);
    EXPECT_FALSE(h.window->isVisible());
    EXPECT_EQ(StandInRestarter::waitForStart(record),
              QStringList({"1", root.path() + "/ZarvMulVideoEditor.rar\t1\tZarvMulVideoEditor\t四分屏视频批量编辑器",
                           root.path()}));
    // The program ends without the close question.
    h.dialogs.clear();
    h.window->close();
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
}

}  // namespace
