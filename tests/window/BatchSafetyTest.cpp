// The batch program under faults, run as real processes: runs at the same
// time into one folder, hostile job files, interrupts and kills.
#include "MediaFactory.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

namespace {

class BatchSafetyTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        media = new QTemporaryDir;
        QDir().mkpath(media->filePath("videos"));
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(MediaFactory::makeVideo(media->filePath(QStringLiteral("videos/clip %1.mp4").arg(i)),
                                                160, 120, 2.0 + 0.25 * i));
    }
    static void TearDownTestSuite()
    {
        delete media;
        media = nullptr;
    }

    QString videos() const { return media->filePath("videos"); }
    QString cache() const { return home.filePath("cache"); }

    QString writeJob(const QString &name, const QByteArray &text)
    {
        const QString path = home.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        return path;
    }

    void start(QProcess &process, const QStringList &arguments)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CACHE_HOME", cache());
        env.insert("XDG_DATA_HOME", home.filePath("data"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("ZARV_UPDATE_URL", "");
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(ZARV_PROGRAM_DIR) + "/ZarvMulVideoEditor", arguments);
        ASSERT_TRUE(process.waitForStarted());
    }

    struct Result {
        int exitCode = -1;
        QString err;
    };
    Result run(const QStringList &arguments)
    {
        QProcess process;
        start(process, arguments);
        EXPECT_TRUE(process.waitForFinished(300000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
    }

    // Reads standard error until it holds the text.
    static bool waitForText(QProcess &process, QString &err, const QString &text)
    {
        for (int i = 0; i < 1200 && !err.contains(text); ++i) {
            process.waitForReadyRead(50);
            err += QString::fromUtf8(process.readAllStandardError());
        }
        return err.contains(text);
    }

    // Processes that run a program from this test's folders (the tools run
    // from the workspace).
    QStringList toolsRunning() const
    {
        QStringList running;
        for (const QString &pid : QDir("/proc").entryList(QDir::Dirs)) {
            const QString exe = QFileInfo("/proc/" + pid + "/exe").symLinkTarget();
            if (!exe.isEmpty() && exe.startsWith(home.path()))
                running.append(pid + " " + exe);
        }
        return running;
    }

    static QMap<QString, QByteArray> outputsIn(const QString &folder)
    {
        QMap<QString, QByteArray> outputs;
        for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
            QFile file(QDir(folder).filePath(name));
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            outputs.insert(name, file.readAll());
        }
        return outputs;
    }

    // The tool's own decoder reads the whole file without one error.
    static QString decodeErrors(const QString &path)
    {
        QProcess ffmpeg;
        ffmpeg.start(MediaFactory::ffmpegPath(), {"-v", "error", "-i", path, "-f", "null", "-"});
        if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0)
            return "ffmpeg failed";
        return QString::fromUtf8(ffmpeg.readAllStandardError());
    }

    static QTemporaryDir *media;
    QTemporaryDir home;
};

QTemporaryDir *BatchSafetyTest::media = nullptr;

TEST_F(BatchSafetyTest, TwoRunsIntoOneFolderAtOnceLeaveOnlyOutputsOfOneRun)
{
    const QByteArray job = "videos=" + videos().toUtf8() + "\nTMax=2\nTLen=2\n";
    // What each seed makes alone.
    QMap<QString, QByteArray> alone[2];
    const char *seeds[2] = {"7", "8"};
    for (int k = 0; k < 2; ++k) {
        const QString folder = home.filePath(QStringLiteral("alone%1").arg(k));
        QDir().mkpath(folder);
        ASSERT_EQ(run({"--batch", writeJob("alone.txt", job + "output=" + folder.toUtf8() + "\n"), "--seed",
                       seeds[k]})
                      .exitCode,
                  0);
        alone[k] = outputsIn(folder);
        ASSERT_EQ(alone[k].keys(), (QStringList{"0001.mp4", "0002.mp4"}));
    }
    ASSERT_NE(alone[0]["0001.mp4"], alone[1]["0001.mp4"]);

    for (int trial = 0; trial < 3; ++trial) {
        const QString folder = home.filePath(QStringLiteral("together%1").arg(trial));
        QDir().mkpath(folder);
        const QString jobPath = writeJob("together.txt", job + "output=" + folder.toUtf8() + "\n");
        QProcess first;
        QProcess second;
        start(first, {"--batch", jobPath, "--seed", seeds[0]});
        start(second, {"--batch", jobPath, "--seed", seeds[1]});
        for (QProcess *process : {&first, &second}) {
            ASSERT_TRUE(process->waitForFinished(300000));
            EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().toStdString();
        }
        const QMap<QString, QByteArray> together = outputsIn(folder);
        EXPECT_EQ(together.keys(), (QStringList{"0001.mp4", "0002.mp4"})) << "trial " << trial;
        for (auto it = together.cbegin(); it != together.cend(); ++it) {
            EXPECT_TRUE(it.value() == alone[0].value(it.key()) || it.value() == alone[1].value(it.key()))
                << "trial " << trial << ": " << it.key().toStdString() << " is no run's own output";
            EXPECT_EQ(decodeErrors(QDir(folder).filePath(it.key())), QString()) << it.key().toStdString();
        }
    }
}

// Hostile job files end at once with status 2 and a message; none is read
// whole, typed or waited for.
TEST_F(BatchSafetyTest, AJobFileThatIsNoJobFileIsRefusedAtOnce)
{
    const QString fifo = home.filePath("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString noise = home.filePath("noise.bin");
    {
        QFile file(noise);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(300LL * 1024 * 1024));
        file.write(QByteArray(4096, '\x9c'));
    }
    const struct {
        QString job;
        QString message;
    } cases[] = {
        {"/dev/zero", "不是普通文件"},
        {fifo, "不是普通文件"},
        {home.path(), "不是普通文件"},
        {noise, "大于1MB"},
        {writeJob("huge.txt", "TLen=" + QByteArray(10 * 1024 * 1024, '5') + "\n"), "大于1MB"},
        {writeJob("long.txt", "TLen=" + QByteArray(900 * 1024, '5') + "\n"), "过长"},
        {writeJob("path.txt", "videos=/" + QByteArray(8000, 'a') + "\n"), "过长"},
        {writeJob("cr.txt", "videos=" + videos().toUtf8() + "\rfile /etc\n"), "控制字符"},
        {home.filePath("missing.txt"), "无法读取任务文件"},
        {writeJob("lines.txt", QByteArray("TLen=5\n").repeated(100000)), "行"},
    };
    for (const auto &c : cases) {
        QElapsedTimer timer;
        timer.start();
        const Result r = run({"--batch", c.job});
        EXPECT_EQ(r.exitCode, 2) << c.job.left(80).toStdString();
        EXPECT_TRUE(r.err.contains(c.message))
            << c.job.left(80).toStdString() << ": " << r.err.left(300).toStdString();
        std::printf("%s: %lld ms\n", qPrintable(QFileInfo(c.job).fileName()), timer.elapsed());
    }
}

TEST_F(BatchSafetyTest, AnInterruptWhileTheJobIsAppliedEndsTheProgram)
{
    // Enough files that the load is still going when the signal comes.
    const QString many = home.filePath("many");
    QDir().mkpath(many);
    for (int i = 0; i < 400; ++i)
        ASSERT_TRUE(QFile::copy(videos() + QStringLiteral("/clip %1.mp4").arg(i % 5),
                                many + QStringLiteral("/%1.mp4").arg(i)));
    const QString output = home.filePath("out");
    QDir().mkpath(output);
    QProcess process;
    start(process, {"--batch", writeJob("job.txt", "videos=" + many.toUtf8() + "\nvideos=" + many.toUtf8()
                                                       + "\nTMax=2\noutput=" + output.toUtf8() + "\n")});
    QString err;
    ASSERT_TRUE(waitForText(process, err, "状态：文件添加中")) << err.toStdString();
    ::kill(pid_t(process.processId()), SIGTERM);
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(process.waitForFinished(30000));
    std::printf("ended %lld ms after the signal\n", timer.elapsed());
    err += QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_TRUE(err.contains("任务已中断")) << err.right(300).toStdString();
    EXPECT_TRUE(QDir(output).isEmpty());
}

// A line break in a folder's name would add a line naming any file to the
// tool's list: such files get no row (counted as skipped), and such a fixed
// audio is refused.
TEST_F(BatchSafetyTest, PathsWithLineBreaksGetNoRow)
{
    const QString audios = home.filePath("audios");
    const QString hostile = audios + "/aud\rfile " + home.path() + "/foreign";
    ASSERT_TRUE(QDir().mkpath(hostile));
    ASSERT_TRUE(QDir().mkpath(audios + "/line\nbreak"));
    ASSERT_TRUE(MediaFactory::makeAudio(audios + "/ok.mp3", 1.0));
    ASSERT_TRUE(QFile::copy(audios + "/ok.mp3", hostile + "/a.mp3"));
    ASSERT_TRUE(QFile::copy(audios + "/ok.mp3", audios + "/line\nbreak/b.mp3"));
    ASSERT_TRUE(QFile::copy(audios + "/ok.mp3", audios + "/tab\tname.mp3"));

    const Result r =
        run({"--batch", writeJob("job.txt", "ChSub=1\naudios=" + audios.toUtf8() + "\n"), "--check"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("有3个文件无法识别，已跳过！")) << r.err.toStdString();
    QProcess check;
    start(check, {"--batch", home.filePath("job.txt"), "--check"});
    ASSERT_TRUE(check.waitForFinished(60000));
    const QString report = QString::fromUtf8(check.readAllStandardOutput());
    EXPECT_TRUE(report.contains("\nMSFA\t1\tenabled")) << report.toStdString();  // one row
    EXPECT_TRUE(report.contains("\nMSFA\t1\tok.mp3\t"));

    const Result fixed = run({"--batch", writeJob("fixed.txt", "LNewAu=" + hostile.toUtf8() + "/a.mp3\n")});
    EXPECT_EQ(fixed.exitCode, 2);
    EXPECT_TRUE(fixed.err.contains("控制字符")) << fixed.err.toStdString();
}

// Killed hard at varied moments (SIGKILL, or a second SIGTERM that ends it
// at once): the killed run's tools end with it, and the next run removes its
// unfinished file; complete outputs of earlier runs stay as they were.
TEST_F(BatchSafetyTest, AfterAKillTheNextRunLeavesNothingUnfinished)
{
    const QString output = home.filePath("out");
    QDir().mkpath(output);
    const QString job = writeJob("job.txt", "videos=" + videos().toUtf8()
                                                + "\nTMax=3\nTLen=3\noutput=" + output.toUtf8() + "\n");
    ASSERT_EQ(run({"--batch", job, "--seed", "7"}).exitCode, 0);
    const QMap<QString, QByteArray> earlier = outputsIn(output);
    ASSERT_EQ(earlier.size(), 3);

    const int delaysMs[] = {700, 1900, 3100, 4600};
    for (int trial = 0; trial < 4; ++trial) {
        QProcess process;
        start(process, {"--batch", job, "--seed", "7"});
        QString err;
        ASSERT_TRUE(waitForText(process, err, "状态："));
        QThread::msleep(delaysMs[trial]);
        if (trial % 2 == 0) {
            process.kill();
        } else {
            ::kill(pid_t(process.processId()), SIGTERM);
            QThread::msleep(50);  // two signals at once would arrive as one
            ::kill(pid_t(process.processId()), SIGTERM);
        }
        ASSERT_TRUE(process.waitForFinished(30000));
        // The tools went with the program.
        QElapsedTimer timer;
        timer.start();
        while (!toolsRunning().isEmpty() && timer.elapsed() < 3000)
            QThread::msleep(20);
        EXPECT_EQ(toolsRunning(), QStringList()) << "trial " << trial;

        ASSERT_EQ(run({"--batch", job, "--seed", "7"}).exitCode, 0);
        const QMap<QString, QByteArray> after = outputsIn(output);
        for (auto it = after.cbegin(); it != after.cend(); ++it) {
            EXPECT_FALSE(it.key().contains("unfinished"))
                << "trial " << trial << ": " << it.key().toStdString();
            if (earlier.contains(it.key()))
                EXPECT_TRUE(it.value() == earlier.value(it.key()))
                    << "trial " << trial << ": " << it.key().toStdString();
        }
        EXPECT_TRUE(QDir(cache() + "/ZarvMulVideoEditor")
                        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                        .isEmpty())
            << "trial " << trial;
    }
}

// The window program takes SIGTERM and SIGHUP (a kill, a logout) as a
// confirmed stop and ends.
TEST_F(BatchSafetyTest, TheWindowProgramEndsOnTerminateAndHangUp)
{
    for (const int signalNumber : {SIGTERM, SIGHUP}) {
        QProcess window;
        start(window, {});
        QThread::msleep(1500);  // past the start-up
        ASSERT_EQ(window.state(), QProcess::Running);
        ::kill(pid_t(window.processId()), signalNumber);
        ASSERT_TRUE(window.waitForFinished(15000)) << signalNumber;
        EXPECT_EQ(window.exitStatus(), QProcess::NormalExit) << signalNumber;
        EXPECT_EQ(window.exitCode(), 0) << signalNumber;
    }
}

}  // namespace
