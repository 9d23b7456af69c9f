// Start-up with the version check against a web server on a loopback port,
// and the update button with its hand-over.
#include "LocalHttpServer.h"
#include "StandInRestarter.h"
#include "StoredRar.h"
#include "WindowHarness.h"
#include "app/update/ProgramUpdate.h"
#include "app/window/RunDriver.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

using Response = LocalHttpServer::Response;
const QString NotePath = QStringLiteral("/downs/ZarvMulVideoEditor.txt");

bool paintedRed(const QPushButton *button)
{
    return button->autoFillBackground() && button->palette().color(QPalette::Button) == QColor(255, 0, 0);
}

TEST(Startup, StartStateAndHiddenVersion)
{
    WindowHarness h;
    EXPECT_EQ(h.window->windowTitle(), "四分屏视频批量编辑器");
    EXPECT_EQ(h.c().TV->text(), "02");
    EXPECT_FALSE(h.c().TV->isVisible());
    EXPECT_TRUE(h.c().ChBat->isChecked());
    EXPECT_EQ(h.c().TMax->text(), "200");
    EXPECT_FALSE(h.c().CmdUpdate->isEnabled()) << "no update server, no check";
}

TEST(Startup, OnlyANoteWithAnotherVersionEnablesTheUpdate)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.start());
    const struct {
        const char *what;
        std::optional<Response> note;  // none: the server's 404
        bool due;
    } cases[] = {
        {"02 with blanks", Response{200, "  02  \r\n", "text/plain"}, false},
        {"03", Response{200, "03\r\n", "text/plain"}, true},
        {"an HTML page", Response{200, "<!DOCTYPE html>\n<html><body>首页</body></html>", "text/html"}, false},
        {"an empty note", Response{200, "", "text/plain"}, false},
        {"404", std::nullopt, false},
    };
    for (const auto &c : cases) {
        server.serve(NotePath, c.note.value_or(Response{404, "<html>404</html>", "text/html"}));
        WindowHarness h{QUrl(server.baseUrl())};
        h.window->awaitVersionCheck();
        EXPECT_EQ(h.c().CmdUpdate->isEnabled(), c.due) << c.what;
        EXPECT_EQ(paintedRed(h.c().CmdUpdate), c.due) << c.what;
        if (c.due) {
            QFile saved(h.services.dataFolder + "Info.txt");
            EXPECT_TRUE(saved.open(QIODevice::ReadOnly) && saved.readAll() == "03\r\n") << "the note is kept";
        }
    }

    WindowHarness unreachable{QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(LocalHttpServer::unusedPort()))};
    unreachable.window->awaitVersionCheck();
    EXPECT_EQ(unreachable.window->versionVerdict(), VersionCheck::Verdict::NoAnswer);
    EXPECT_FALSE(unreachable.c().CmdUpdate->isEnabled());
}

TEST(Startup, AServerThatNeverAnswersDoesNotHoldUpTheWindow)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.start());
    server.serve(NotePath, {200, "03", "text/plain", LocalHttpServer::Delivery::Never});
    WindowHarness h{QUrl(server.baseUrl())};
    EXPECT_TRUE(h.window->isVisible());
    EXPECT_EQ(h.window->versionVerdict(), VersionCheck::Verdict::Pending);
    h.window->awaitVersionCheck();  // ends at the check's time limit
    EXPECT_EQ(h.window->versionVerdict(), VersionCheck::Verdict::NoAnswer);
    EXPECT_FALSE(h.c().CmdUpdate->isEnabled());
}

TEST(Startup, AMakePressWaitsForTheCheckStillUnderWay)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.start());
    server.serve(NotePath, {200, "03", "text/plain", LocalHttpServer::Delivery::Late});
    QTemporaryDir output;
    WindowHarness h{QUrl(server.baseUrl())};
    h.c().LOutDir->setText(output.path());
    EXPECT_EQ(h.window->versionVerdict(), VersionCheck::Verdict::Pending);
    h.c().CmdDo->click();
    EXPECT_EQ(h.dialogs.messageTexts().value(0), "请先更新方能使用！");
    EXPECT_FALSE(h.window->runDriver().lastSummary().started);
    EXPECT_TRUE(h.c().CmdDo->isEnabled());
}

// An update due: the make button is refused and starts the update.
class StartupUpdate : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start());
        server.serve(NotePath, {200, "03", "text/plain"});
        QDir().mkpath(programFolder());
        ASSERT_TRUE(StandInRestarter::install(programFolder(), record()));
        h = std::make_unique<WindowHarness>(QUrl(server.baseUrl()), programFolder());
        h->window->awaitVersionCheck();
        ASSERT_TRUE(h->c().CmdUpdate->isEnabled());
        h->c().LOutDir->setText(root.path());
    }
    QString programFolder() const { return root.filePath("程序"); }
    QString record() const { return root.filePath("restarter.txt"); }

    QTemporaryDir root;
    LocalHttpServer server;
    std::unique_ptr<WindowHarness> h;
};

TEST_F(StartupUpdate, ARunIsRefusedAndTheUpdateHandsOver)
{
    server.serve("/downs/ZarvVedioEditor.rar", {200, StoredRar::archive({{"ZarvMulVideoEditor", "new"}})});
    QSignalSpy end(h->window.get(), &FFmain::programEndRequested);
    h->c().CmdDo->click();
    EXPECT_EQ(h->dialogs.messageTexts(),
              QStringList({"请先更新方能使用！", ProgramUpdate::downloadedText()}));
    EXPECT_EQ(end.count(), 1);
    EXPECT_FALSE(h->window->isVisible());
    const auto start = StandInRestarter::waitForStart(record());
    ASSERT_TRUE(start);
    EXPECT_EQ(start->parameters, programFolder() + "/ZarvMulVideoEditor.rar\t1\tZarvMulVideoEditor\t四分屏视频批量编辑器");

    // The program ends without the close question.
    h->dialogs.clear();
    h->window->close();
    EXPECT_TRUE(h->dialogs.messages.isEmpty());
}

TEST_F(StartupUpdate, AFailedDownloadBringsTheWindowBack)
{
    QSignalSpy end(h->window.get(), &FFmain::programEndRequested);
    h->c().CmdUpdate->click();
    EXPECT_EQ(h->dialogs.messageTexts(), QStringList{ProgramUpdate::downloadFailedText()});
    EXPECT_EQ(end.count(), 0);
    EXPECT_TRUE(h->window->isVisible());
    EXPECT_TRUE(h->c().CmdUpdate->isEnabled());
}

}  // namespace
