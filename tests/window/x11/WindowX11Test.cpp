// The main window on a real X server with a window manager, driven by real
// key presses (XTest) from a thread of the test's own, while the window's
// thread runs the make or load button as the program does.
#include "FixedRandom.h"
#include "MediaFactory.h"
#include "X11Session.h"
#include "app/library/MediaInfoProber.h"
#include "app/window/BatchJob.h"
#include "app/window/FFmain.h"
#include "app/window/MainControls.h"
#include "app/window/QtDialogService.h"
#include "app/window/RunDriver.h"
#include "app/window/SourceGrid.h"
#include "app/window/SourceListOps.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace {

using Milliseconds = std::chrono::milliseconds;

// The real message boxes; a hook sees each request before its box opens.
class WatchedDialogs : public QtDialogService {
public:
    DialogAnswer showMessage(const MessageRequest &request) override
    {
        texts.append(request.text);
        if (beforeBox)
            beforeBox(request);
        return QtDialogService::showMessage(request);
    }
    std::function<void(const MessageRequest &)> beforeBox;
    QStringList texts;
};

// What the input thread learns of the window's thread: the message box that
// is up and has the focus, whether the main window has it, whether a run
// goes on. A timer of the window's thread keeps it current; it fires inside
// the run's waits and the boxes' own loops as well.
class WindowWatch {
public:
    WindowWatch(QWidget &window, RunDriver &run)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this, &window, &run] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (box && m_abandon) {
                box->done(QDialog::Rejected);
                box = nullptr;
            }
            const bool boxReady = box && box->isVisible() && box->isActiveWindow();
            std::lock_guard lock(m_mutex);
            m_box = boxReady ? box->text() : QString();
            m_mainActive = !box && window.isActiveWindow();
            m_running = run.isRunning();
        });
        m_timer.start(20);
    }

    bool running() const
    {
        std::lock_guard lock(m_mutex);
        return m_running;
    }
    bool waitFor(const std::function<bool()> &condition, Milliseconds limit) const
    {
        QElapsedTimer waited;
        waited.start();
        while (!condition()) {
            if (waited.elapsed() > limit.count())
                return false;
            std::this_thread::sleep_for(Milliseconds(20));
        }
        // The window manager and the toolkit settle the focus first.
        std::this_thread::sleep_for(Milliseconds(150));
        return condition();
    }
    bool waitForBox(const QString &prefix, Milliseconds limit) const
    {
        return waitFor(
            [&] {
                std::lock_guard lock(m_mutex);
                return m_box.startsWith(prefix);
            },
            limit);
    }
    bool waitForMainWindow(Milliseconds limit) const
    {
        return waitFor(
            [&] {
                std::lock_guard lock(m_mutex);
                return m_mainActive;
            },
            limit);
    }
    // A failed test does not leave the window's thread in a box.
    void abandon() { m_abandon = true; }

private:
    QTimer m_timer;
    mutable std::mutex m_mutex;
    QString m_box;
    bool m_mainActive = false;
    bool m_running = false;
    std::atomic<bool> m_abandon{false};
};

// The user's hands: a thread with its own connection to the X server.
class Hands {
public:
    ~Hands() { join(); }
    void start(std::function<void(X11Client &)> steps)
    {
        m_thread = std::thread([this, steps = std::move(steps)] {
            X11Client x;
            if (!x.isOpen())
                fail(QStringLiteral("no connection to the X server"));
            else
                steps(x);
        });
    }
    void join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    void fail(const QString &what)
    {
        std::lock_guard lock(m_mutex);
        m_failures.append(what);
    }
    QStringList failures()
    {
        std::lock_guard lock(m_mutex);
        return m_failures;
    }

private:
    std::thread m_thread;
    std::mutex m_mutex;
    QStringList m_failures;
};

QRect screenRect(const QWidget *widget)
{
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

QByteArray digestOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

class WindowX11Test : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        media = new QTemporaryDir;
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(MediaFactory::makeVideo(media->filePath(QStringLiteral("clip %1.mp4").arg(i)), 160,
                                                120, 6.0 + i * 0.5));
    }
    static void TearDownTestSuite()
    {
        delete media;
        media = nullptr;
    }

    void SetUp() override
    {
        services.dialogs = &dialogs;
        services.prober = &prober;
        services.random = &random;
        services.programFolder = QStringLiteral(ZARV_PROGRAM_DIR);
        services.workRoot = home.filePath(QStringLiteral("work")) + QLatin1Char('/');
        services.dataFolder = home.filePath(QStringLiteral("data")) + QLatin1Char('/');
        window = std::make_unique<FFmain>(services);
        dialogs.setOwner(window.get());
        window->runDriver().setToolName(
            QStringLiteral("CutX11Test%1_%2.exe").arg(QCoreApplication::applicationPid()).arg(++counter));
        watch = std::make_unique<WindowWatch>(*window, window->runDriver());
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get(), 10000)) << "the window manager gave no focus";
        outputFolder = home.filePath(QStringLiteral("输出"));
        QDir().mkpath(outputFolder);
    }

    void TearDown() override
    {
        watch->abandon();
        hands.join();
        for (const QString &failure : hands.failures())
            ADD_FAILURE() << failure.toStdString();
    }

    MainControls &c() { return window->controls(); }

    void addClips(int count)
    {
        for (int i = 0; i < count; ++i) {
            const QString name = QStringLiteral("clip %1.mp4").arg(i);
            const QString path = media->filePath(name);
            const QSize size = *prober.probeFrameSize(path);
            window->lists().AppendRow(SourceKind::Video,
                                      {name, media->path(), QString::number(size.width()),
                                       QString::number(size.height()),
                                       MediaProber::durationText(*prober.probeDuration(path))});
        }
    }
    void prepareRun(int outputs, int lengthSeconds)
    {
        c().LOutDir->setText(outputFolder + QLatin1Char('/'));
        c().TMax->setText(QString::number(outputs));
        c().TLen->setText(QString::number(lengthSeconds));
    }
    QString output(int n) const
    {
        return outputFolder + QStringLiteral("/%1.mp4").arg(n, 4, 10, QLatin1Char('0'));
    }
    // Waits for a box and answers it with a key, or notes why it could not.
    void answer(X11Client &x, const QString &boxPrefix, const char *key,
                Milliseconds limit = Milliseconds(300000))
    {
        if (!watch->waitForBox(boxPrefix, limit)) {
            hands.fail(QStringLiteral("no box “") + boxPrefix + QStringLiteral("” came up"));
            return;
        }
        x.pressKey(key);
    }

    static QTemporaryDir *media;
    static int counter;
    QTemporaryDir home;
    WatchedDialogs dialogs;
    MediaInfoProber prober;
    FixedRandom random;
    WindowServices services;
    std::unique_ptr<FFmain> window;
    std::unique_ptr<WindowWatch> watch;
    Hands hands;
    QString outputFolder;
};

QTemporaryDir *WindowX11Test::media = nullptr;
int WindowX11Test::counter = 0;

TEST_F(WindowX11Test, EscapeOrTheCloseButtonOnTheCloseQuestionLeavesTheRunGoing)
{
    addClips(5);
    prepareRun(3, 6);
    std::atomic<int> closeQuestionsWithdrawn{0};
    hands.start([&](X11Client &x) {
        if (!watch->waitFor([&] { return watch->running(); }, Milliseconds(60000))) {
            hands.fail(QStringLiteral("the run did not start"));
            return;
        }
        // Closing the window (Alt+F4 to the window manager), then the box's
        // own close, then once more and Escape.
        for (const char *withdraw : {"F4", "Escape"}) {
            if (!watch->waitForMainWindow(Milliseconds(10000))) {
                hands.fail(QStringLiteral("the main window did not get the focus back"));
                return;
            }
            x.pressKey("F4", {QStringLiteral("Alt_L")});
            if (!watch->waitForBox(QStringLiteral("关闭程序"), Milliseconds(10000))) {
                hands.fail(QStringLiteral("no close question"));
                return;
            }
            if (QString::fromLatin1(withdraw) == QLatin1String("F4"))
                x.pressKey("F4", {QStringLiteral("Alt_L")});
            else
                x.pressKey("Escape");
            if (!watch->waitForMainWindow(Milliseconds(10000))) {
                hands.fail(QStringLiteral("the close question stayed up"));
                return;
            }
            if (watch->running())
                ++closeQuestionsWithdrawn;
        }
        answer(x, QStringLiteral("处理完毕！"), "Escape");
    });
    c().CmdDo->click();
    hands.join();

    EXPECT_EQ(closeQuestionsWithdrawn.load(), 2) << "both questions were withdrawn while the run went on";
    EXPECT_EQ(dialogs.texts.count(QStringLiteral("关闭程序")), 2);
    EXPECT_TRUE(window->isVisible());
    const RunDriver::Summary summary = window->runDriver().lastSummary();
    EXPECT_FALSE(summary.stopped);
    EXPECT_EQ(summary.done, 3);
    for (int n = 1; n <= 3; ++n) {
        const MediaFactory::StreamFacts facts = MediaFactory::probe(output(n));
        EXPECT_TRUE(facts.hasVideo) << n;
        EXPECT_NEAR(facts.durationSeconds, 6.0, 0.2) << n;
    }
}

TEST_F(WindowX11Test, ASecondRunIntoTheFolderNumbersOnAndKeepsTheFirstRunsOutputs)
{
    addClips(5);
    prepareRun(2, 3);
    hands.start([&](X11Client &x) { answer(x, QStringLiteral("处理完毕！"), "Escape"); });
    c().CmdDo->click();
    hands.join();
    ASSERT_EQ(window->runDriver().lastSummary().done, 2);
    const QByteArray first = digestOf(output(1));
    const QByteArray second = digestOf(output(2));
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());

    // Enter takes the question's default, numbering on.
    hands.start([&](X11Client &x) {
        answer(x, QStringLiteral("输出目录中已有2个同名视频"), "Return", Milliseconds(60000));
        answer(x, QStringLiteral("处理完毕！"), "Escape");
    });
    c().CmdDo->click();
    hands.join();
    EXPECT_EQ(window->runDriver().lastSummary().done, 2);
    EXPECT_EQ(digestOf(output(1)), first);
    EXPECT_EQ(digestOf(output(2)), second);
    for (int n = 3; n <= 4; ++n) {
        const MediaFactory::StreamFacts facts = MediaFactory::probe(output(n));
        EXPECT_TRUE(facts.hasVideo) << n;
        EXPECT_NEAR(facts.durationSeconds, 3.0, 0.2) << n;
    }
    EXPECT_EQ(QDir(outputFolder).entryList(QDir::Files).size(), 4);
}

TEST_F(WindowX11Test, ALongLoadShowsItsRowsGrowAndEndsPaintedBeforeItsBox)
{
    const QString folder = home.filePath(QStringLiteral("音频"));
    QDir().mkpath(folder);
    const QString sample = home.filePath(QStringLiteral("sample.mp3"));
    ASSERT_TRUE(MediaFactory::makeAudio(sample, 0.3));
    constexpr int kFiles = 3000;
    for (int i = 0; i < kFiles; ++i)
        ASSERT_TRUE(QFile::copy(sample, folder + QStringLiteral("/%1.mp3").arg(i, 4, 10, QLatin1Char('0'))));
    c().CmbObject->setCurrentIndex(1);
    c().LAudio->setText(folder + QLatin1Char('/'));
    QApplication::processEvents();
    const QRect countRect = screenRect(c().LAudioNum);
    const QRect statusRect = screenRect(c().StbPanel[3]);

    // What the screen shows when the completion box is asked for.
    X11Client windowThreadX;
    QImage countAtBox;
    std::atomic<bool> boxAsked{false};
    dialogs.beforeBox = [&](const MessageRequest &) {
        countAtBox = windowThreadX.grab(countRect);
        boxAsked = true;
    };
    std::atomic<int> countChanges{0};
    std::atomic<int> statusChanges{0};
    const QString screenshots = qEnvironmentVariable("ZARV_WINDOW_SCREENSHOTS");
    hands.start([&](X11Client &x) {
        QImage count = x.grab(countRect);
        QImage status = x.grab(statusRect);
        while (!boxAsked) {
            std::this_thread::sleep_for(Milliseconds(30));
            const QImage nowCount = x.grab(countRect);
            const QImage nowStatus = x.grab(statusRect);
            if (!boxAsked && nowCount != count) {
                ++countChanges;
                if (countChanges == 3 && !screenshots.isEmpty())
                    x.grab(QRect(0, 0, 1024, 768)).save(screenshots + QStringLiteral("/loading.png"));
            }
            if (!boxAsked && nowStatus != status)
                ++statusChanges;
            count = nowCount;
            status = nowStatus;
        }
        answer(x, QStringLiteral("目标文件加载完毕！"), "Return", Milliseconds(30000));
    });
    c().CmdReadFiles->click();
    hands.join();

    EXPECT_EQ(c().MSFA->entryCount(), kFiles);
    EXPECT_GE(countChanges.load(), 3) << "the row count was painted as it grew";
    EXPECT_GE(statusChanges.load(), 3) << "the status was painted as it changed";
    // The count at the box is the final one: painted before the box opened.
    window->repaint();
    QTest::qWait(200);
    EXPECT_EQ(countAtBox, windowThreadX.grab(countRect));
    EXPECT_EQ(c().LAudioNum->text(), SourceListOps::countTag(SourceKind::Audio) + QString::number(kFiles));
}

TEST_F(WindowX11Test, TheWindowOnA1024x768ScreenShowsEveryControl)
{
    const QRect screen = window->screen()->geometry();
    ASSERT_EQ(screen.size(), QSize(1024, 768));
    // The window manager's frame around it.
    QElapsedTimer waited;
    waited.start();
    while (window->frameGeometry() == window->geometry() && waited.elapsed() < 5000)
        QTest::qWait(50);
    ASSERT_NE(window->frameGeometry(), window->geometry()) << "no window manager frame";
    EXPECT_TRUE(screen.contains(window->frameGeometry()))
        << window->frameGeometry().width() << "x" << window->frameGeometry().height();
    const QSize frame = window->frameGeometry().size() - window->geometry().size();
    EXPECT_LE(window->minimumSizeHint().width() + frame.width(), screen.width());
    EXPECT_LE(window->minimumSizeHint().height() + frame.height(), screen.height());

    // The slide-show controls are enabled, the rest as after start-up.
    c().ChPPT->click();
    QTest::qWait(100);
    int shown = 0;
    for (QWidget *control : BatchJob::namedControls(*window)) {
        if (!control->isVisibleTo(window.get()) || control == window->centralWidget())
            continue;
        SCOPED_TRACE(control->objectName().toStdString());
        const QRect rect = screenRect(control);
        EXPECT_TRUE(screen.contains(rect))
            << rect.x() << "," << rect.y() << " " << rect.width() << "x" << rect.height();
        EXPECT_TRUE(window->geometry().contains(rect));
        EXPECT_FALSE(control->visibleRegion().isEmpty());
        EXPECT_GE(control->width(), qMin(control->minimumSizeHint().width(), 16));
        ++shown;
    }
    EXPECT_GE(shown, 50);
    const QString screenshots = qEnvironmentVariable("ZARV_WINDOW_SCREENSHOTS");
    if (!screenshots.isEmpty()) {
        X11Client x;
        x.grab(screen).save(screenshots + QStringLiteral("/window-1024x768.png"));
    }
}

}  // namespace
