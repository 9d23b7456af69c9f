// Adding and loading with the real prober, which probes on worker threads:
// the order of the rows, a stop, a close of the window, and today's types.

#include "FixedRandom.h"
#include "MediaFactory.h"
#include "ScriptedDialogs.h"
#include "ScriptedProber.h"
#include "WindowHarness.h"
#include "app/library/MediaInfoProber.h"
#include "app/window/FFmain.h"
#include "app/window/FileAdding.h"
#include "app/window/QtDialogService.h"
#include "app/window/SourceGrid.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

namespace {

// Real message boxes (answered by a test's clicker) and scripted file picks.
class BoxesAndScriptedFiles : public QtDialogService {
public:
    DialogAnswer showMessage(const MessageRequest &request) override
    {
        texts.append(request.text);
        return QtDialogService::showMessage(request);
    }
    QStringList openFiles(const FileDialogRequest &) override { return files; }
    QStringList files;
    QStringList texts;  // of every box asked for
};

class ParallelLoadingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_media = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(s_media->isValid());
        // Sizes that tell the files apart: file i is (32 + 2i) x (24 + 2i).
        for (int i = 0; i < kFiles; ++i)
            ASSERT_TRUE(MediaFactory::makeVideo(mediaFile(i), 32 + 2 * i, 24 + 2 * i, 0.4, MediaFactory::Sound::Without));
    }
    static void TearDownTestSuite() { s_media.reset(); }
    static QString mediaFile(int i) { return s_media->filePath(QStringLiteral("clip %1.mp4").arg(i, 2, 10, QLatin1Char('0'))); }

    // Checks that the list holds whole rows of the first files, in order.
    static void expectFirstFilesInOrder(SourceGrid *grid)
    {
        for (int entry = 1; entry <= grid->entryCount(); ++entry) {
            const int i = entry - 1;
            const QStringList cells = grid->entryCells(entry);
            EXPECT_EQ(cells.value(0), QFileInfo(mediaFile(i)).fileName());
            EXPECT_EQ(cells.value(1), s_media->path());
            EXPECT_EQ(cells.value(2), QString::number(32 + 2 * i));
            EXPECT_EQ(cells.value(3), QString::number(24 + 2 * i));
            EXPECT_NEAR(cells.value(4).toDouble(), 0.4, 0.05);
        }
    }

    static constexpr int kFiles = 12;
    static std::unique_ptr<QTemporaryDir> s_media;
};

std::unique_ptr<QTemporaryDir> ParallelLoadingTest::s_media;

}  // namespace

TEST_F(ParallelLoadingTest, RowsComeInTheFoldersOrderAndAStopKeepsOnlyWholeRows)
{
    BasicWindowHarness<MediaInfoProber> h;
    h.c().LVideo->setText(s_media->path() + QLatin1Char('/'));
    h.c().CmdReadFiles->click();
    ASSERT_EQ(h.c().MSFV->entryCount(), kFiles);
    expectFirstFilesInOrder(h.c().MSFV);
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList{QStringLiteral("目标文件加载完毕！")});

    // A stop (as a confirmed click on the stop button) once three rows are in.
    h.c().MSFV->clearEntries();
    h.dialogs.clear();
    QObject::connect(h.window.get(), &FFmain::statusTextChanged, h.window.get(), [&](const QString &text) {
        if (text == QStringLiteral("状态：文件添加中...3"))
            h.window->state().stopRequested = true;
    });
    h.c().CmdReadFiles->click();
    EXPECT_EQ(h.c().MSFV->entryCount(), 3);
    expectFirstFilesInOrder(h.c().MSFV);
    EXPECT_EQ(h.c().LVideoNum->text(), QStringLiteral("视频文件列表：3"));
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList{QStringLiteral("目标文件加载完毕！")});
    EXPECT_TRUE(h.window->updatesEnabled());
}

// Closing the window (确定 on "关闭程序") during a folder load or a multi-file
// add ends the program as a close when idle does: no completion message, and
// the event loop of the program returns.
TEST_F(ParallelLoadingTest, ClosingTheWindowDuringALoadOrAnAddEndsTheProgram)
{
    for (const bool load : {true, false}) {
        SCOPED_TRACE(load ? "folder load" : "multi-file add");
        QTemporaryDir folder;
        BoxesAndScriptedFiles dialogs;
        // Probing on the window thread: the close comes at the event pump
        // right after the second row.
        ScriptedProber prober;
        FixedRandom random;
        const WindowServices services{&dialogs, &prober, &random, QStringLiteral(ZARV_PROGRAM_DIR),
                                      folder.path() + QStringLiteral("/work/"), folder.path() + QStringLiteral("/data/"), QUrl()};
        FFmain window(services);
        dialogs.setOwner(&window);
        window.show();

        // Answers every message box with its OK button.
        QTimer clicker;
        QObject::connect(&clicker, &QTimer::timeout, &window, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                box->button(QMessageBox::Ok)->click();
        });
        clicker.start(20);
        // The user closes the window once the second row is in.
        QObject::connect(&window, &FFmain::statusTextChanged, &window, [&](const QString &text) {
            if (text == QStringLiteral("状态：文件添加中...2") || text == QStringLiteral("状态：文件添加中...2/12"))
                QTimer::singleShot(0, &window, [&] { window.close(); });
        });
        bool hung = false;
        QTimer::singleShot(60000, &window, [&] {
            hung = true;
            QCoreApplication::exit(2);
        });
        QTimer::singleShot(0, &window, [&] {
            if (load) {
                window.controls().LVideo->setText(s_media->path() + QLatin1Char('/'));
                window.controls().CmdReadFiles->click();
            } else {
                for (int i = 0; i < kFiles; ++i)
                    dialogs.files.append(mediaFile(i));
                window.controls().CmdAddFiles->click();
            }
        });

        EXPECT_EQ(QApplication::exec(), 0);
        EXPECT_FALSE(hung);
        EXPECT_EQ(dialogs.texts, QStringList{QStringLiteral("关闭程序")});
        EXPECT_FALSE(window.isVisible());
        EXPECT_FALSE(window.adding().isBusy());
        EXPECT_EQ(window.controls().MSFV->entryCount(), 2);
        expectFirstFilesInOrder(window.controls().MSFV);
    }
}

// Screen recorders, camcorders and phones write these; each list takes its
// own (the values are checked with the probe).
TEST_F(ParallelLoadingTest, TodaysFileTypesLoadIntoTheirLists)
{
    QTemporaryDir folder;
    const QStringList videos{"v.3gp", "v.m2ts", "v.m4v", "v.mts", "v.ts", "v.webm"};
    const QStringList sounds{"a.aac", "a.flac", "a.ogg", "a.opus"};
    for (const char *sub : {"videos", "sounds", "pictures"})
        QDir().mkpath(folder.filePath(sub));
    for (const QString &name : videos)
        ASSERT_TRUE(MediaFactory::makeVideo(folder.filePath("videos/" + name), 48, 32, 1.0)) << qPrintable(name);
    for (const QString &name : sounds)
        ASSERT_TRUE(MediaFactory::makeAudio(folder.filePath("sounds/" + name), 1.0)) << qPrintable(name);
    ASSERT_TRUE(MediaFactory::makePicture(folder.filePath("pictures/p.webp"), 40, 30));

    BasicWindowHarness<MediaInfoProber> h;
    const struct {
        const char *folder;
        SourceGrid *grid;
        QStringList names;
    } lists[] = {{"videos", h.c().MSFV, videos}, {"sounds", h.c().MSFA, sounds}, {"pictures", h.c().MSFP, {"p.webp"}}};
    for (int target = 0; target < 3; ++target) {
        h.c().CmbObject->setCurrentIndex(target);
        h.c().LVideo->setText(folder.filePath(lists[target].folder) + QLatin1Char('/'));
        h.c().LAudio->setText(h.c().LVideo->text());
        h.c().LSubs->setText(h.c().LVideo->text());
        h.c().CmdReadFiles->click();
        QStringList names;
        for (int entry = 1; entry <= lists[target].grid->entryCount(); ++entry)
            names.append(lists[target].grid->entryCells(entry).value(0));
        EXPECT_EQ(names, lists[target].names);
    }
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList(3, QStringLiteral("目标文件加载完毕！")));
}
