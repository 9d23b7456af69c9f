// The headless batch mode, run as the real program in a child process with
// its own cache and data folders.
#include "MediaFactory.h"
#include "StaticWebServer.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>

namespace {

class BatchModeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        media = new QTemporaryDir;
        QDir().mkpath(media->filePath("视频 源"));
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(MediaFactory::makeVideo(media->filePath(QStringLiteral("视频 源/clip %1.mp4").arg(i)),
                                                160, 120, 2.0 + 0.25 * i));
        ASSERT_TRUE(MediaFactory::makeAudio(media->filePath("配乐.mp3"), 6.0));
    }
    static void TearDownTestSuite()
    {
        delete media;
        media = nullptr;
    }

    void SetUp() override { QDir().mkpath(outputFolder()); }

    QString outputFolder() const { return home.filePath("输出"); }
    QString videos() const { return media->filePath("视频 源"); }
    QString workspace() const { return home.filePath("cache/ZarvMulVideoEditor/Tmp"); }

    QString writeJob(const QString &text)
    {
        const QString path = home.filePath("job.txt");
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(text.toUtf8());
        return path;
    }

    void start(QProcess &process, const QStringList &arguments)
    {
        process.setProcessEnvironment(environment());
        process.start(QStringLiteral(ZARV_PROGRAM_DIR) + "/ZarvMulVideoEditor", arguments);
        ASSERT_TRUE(process.waitForStarted());
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CACHE_HOME", cacheFolder.isEmpty() ? home.filePath("cache") : cacheFolder);
        env.insert("XDG_DATA_HOME", home.filePath("data"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("ZARV_UPDATE_URL", updateUrl);  // empty: no version check
        if (!toolLog.isEmpty())
            env.insert("ZARV_TOOL_LOG", toolLog);
        return env;
    }

    struct Result {
        int exitCode = -1;
        QString out;
        QString err;
    };
    Result run(const QStringList &arguments)
    {
        QProcess process;
        start(process, arguments);
        EXPECT_TRUE(process.waitForFinished(300000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    static QTemporaryDir *media;
    QTemporaryDir home;
    QString cacheFolder;  // the user's cache folder; home/cache when empty
    QString updateUrl;
    QString toolLog;  // ZARV_TOOL_LOG of the program when set
};

QTemporaryDir *BatchModeTest::media = nullptr;

TEST_F(BatchModeTest, UnknownKeyOrImpossibleValueRefusesBeforeAnything)
{
    Result r = run({"--batch", writeJob("TMax=3\nNoSuchControl=1\noutput=" + outputFolder() + "\n")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("第2行")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("NoSuchControl"));

    r = run({"--batch", writeJob("TLen=4a5\n")});
    EXPECT_EQ(r.exitCode, 2);
    r = run({"--batch", writeJob("CmbAudio=9\n")});
    EXPECT_EQ(r.exitCode, 2);
    r = run({"--batch", writeJob("this line has no equals sign\n")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(QDir(outputFolder()).entryList(QDir::Files).isEmpty());
}

TEST_F(BatchModeTest, NoOutputFolderIsRefused)
{
    const Result r = run({"--batch", writeJob("videos=" + videos() + "\nTMax=1\n")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("请先指定输出目录！")) << r.err.toStdString();
}

TEST_F(BatchModeTest, CheckPrintsControlsAndRowsWithoutMakingOutputs)
{
    const Result r = run({"--batch",
                          writeJob("# a comment\n\nvideos=" + videos()
                                   + "\nOptMix=1\nTLen=45\nCmbSize=1281x719\n"
                                     "TMax=1\noutput="
                                   + outputFolder() + "\n"),
                          "--check"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(lines.contains("OptMix\t1\tenabled\tvisible"));
    EXPECT_TRUE(lines.contains("OptVV\t0\tenabled\tvisible"));
    EXPECT_TRUE(lines.contains("TLen\t45\tenabled\tvisible"));
    // The mixed mode selects 1920x1080; the typed size is then checked and written back.
    EXPECT_TRUE(lines.contains("CmbSize\t3:1282x720\tenabled\tvisible")) << r.out.toStdString();
    EXPECT_TRUE(lines.contains("LVideoNum\t视频文件列表：5\tenabled\tvisible"));
    EXPECT_TRUE(lines.contains("CmdStop\t终止(&S)\tenabled\thidden"));
    // Control lines are sorted by name and come before the list rows.
    QStringList names;
    for (const QString &line : lines)
        if (!line.startsWith("MSFV\t") && !line.startsWith("MSFA\t") && !line.startsWith("MSFP\t"))
            names.append(line.section('\t', 0, 0));
    QStringList sorted = names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(names, sorted);
    EXPECT_TRUE(lines.contains("MSFV\t1\tclip 0.mp4\t" + videos() + "\t160\t120\t2")) << r.out.toStdString();
    // Mixed mode without pictures: the validation's messages are printed.
    EXPECT_TRUE(r.err.contains("图片源不能少于4个！请再添加图片源！"));
    EXPECT_TRUE(QDir(outputFolder()).entryList(QDir::Files).isEmpty());
}

TEST_F(BatchModeTest, JobTypesWithTheFocusInTheFieldAndPicksTheShownEntry)
{
    // Typed into the field that has the focus, the slide count is only
    // rounded when the field is left: 12 stays 12, a quarter of 12 slides
    // of 3 seconds is 9 seconds. The second value is typed after the focus
    // left the field.
    Result r = run({"--batch", writeJob("ChPPT=1\nTVedio=16\nTVedio=12\n"), "--check"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(lines.contains("TVedio\t12\tenabled\tvisible")) << r.out.toStdString();
    EXPECT_TRUE(lines.contains("TLen\t9\tenabled\tvisible"));
    r = run({"--batch", writeJob("ChPPT=1\nTVedio=45\n"), "--check"});
    EXPECT_TRUE(r.out.split('\n').contains("TVedio\t28\tenabled\tvisible")) << r.out.toStdString();

    // Picture+Picture shows the first audio entry, which pictures cannot
    // have; the job's pick of it selects the chosen file.
    r = run({"--batch", writeJob("OptPP=1\nCmbAudio=0\n"), "--check"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    lines = r.out.split('\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(lines.contains("CmbAudio\t4:基于指定的音频\tenabled\tvisible")) << r.out.toStdString();
}

TEST_F(BatchModeTest, MakesSameVideoOutputsWithAFixedTrack)
{
    const Result r =
        run({"--batch", writeJob("videos=" + videos() + "\nChSame=1\nLNewAu=" + media->filePath("配乐.mp3")
                                 + "\nCmbAudio=4\nTMax=2\noutput=" + outputFolder() + "\n")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("状态：视频生成Ok！"));
    EXPECT_TRUE(r.err.contains("处理完毕！"));
    for (const char *name : {"0001.mp4", "0002.mp4"}) {
        const MediaFactory::StreamFacts facts = MediaFactory::probe(QDir(outputFolder()).filePath(name));
        EXPECT_EQ(facts.width, 320) << name;
        EXPECT_EQ(facts.height, 240) << name;
        EXPECT_TRUE(facts.hasAudio) << name;
    }
    EXPECT_FALSE(QFileInfo::exists(workspace()));
}

// Outputs an earlier run left: the question takes the job's answer, else its
// default, numbering on after the highest; cancel makes nothing.
TEST_F(BatchModeTest, ARunIntoAFolderWithOutputsAsksAndNumbersOnByDefault)
{
    const QDir out(outputFolder());
    auto put = [&](const char *name, const QByteArray &data) {
        QFile file(out.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
    };
    put("0001.mp4", "earlier run");
    put("0007.avi", "earlier run of another type");
    const QString job = "videos=" + videos() + "\nTMax=2\nTLen=3\noutput=" + outputFolder() + "\n";

    Result r = run({"--batch", writeJob(job + "answers=cancel\n")});
    EXPECT_EQ(r.exitCode, 2) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("消息：输出目录中已有1个同名视频（0001.mp4）")) << r.err.toStdString();
    EXPECT_EQ(out.entryList(QDir::Files).size(), 2);

    r = run({"--batch", writeJob(job)});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("否——从0008起接着编号，保留原有视频")) << r.err.toStdString();
    EXPECT_EQ(out.entryList(QDir::Files), (QStringList{"0001.mp4", "0007.avi", "0008.mp4", "0009.mp4"}));
    QFile kept(out.filePath("0001.mp4"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "earlier run");
    for (const char *name : {"0008.mp4", "0009.mp4"}) {
        const double seconds = MediaFactory::probe(out.filePath(name)).durationSeconds;
        EXPECT_GT(seconds, 1.5) << name;
        EXPECT_LT(seconds, 3.5) << name;
    }

    // Overwriting is asked for: 0001 is replaced, 0002 made.
    r = run({"--batch", writeJob(job + "answers=yes\n")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(MediaFactory::probe(out.filePath("0001.mp4")).hasVideo);
    EXPECT_TRUE(MediaFactory::probe(out.filePath("0002.mp4")).hasVideo);
    EXPECT_EQ(out.entryList(QDir::Files).size(), 5);
}

// The rules of the slide seconds, the picture mode's sound and the padding
// box, as the check reports them.
TEST_F(BatchModeTest, CheckShowsTheFieldAndSoundRules)
{
    const struct {
        const char *job;
        QStringList lines;
    } cases[] = {
        {"ChPPT=1\nTPlay=15\n", {"TPlay\t10\tenabled\tvisible", "ChAddAudio\t0\tdisabled\tvisible"}},
        {"ChPPT=1\nTPlay=0\n", {"TPlay\t1\tenabled\tvisible"}},
        {"CmbAudio=4\n", {"ChAddAudio\t0\tdisabled\tvisible"}},
        {"OptMix=1\nOptPP=1\n",
         {"CmbAudio\t4:基于指定的音频\tenabled\tvisible", "ChAddAudio\t1\tenabled\tvisible",
          "LNewAu\t固定音频文件未指定(双击此指定，或者从音频文件列表中选定)\tenabled\tvisible"}},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.job);
        const Result r = run({"--batch", writeJob(QString::fromUtf8(k.job)), "--check"});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
        for (const QString &line : k.lines)
            EXPECT_TRUE(lines.contains(line)) << line.toStdString() << "\n" << r.out.toStdString();
    }
    // Letters are refused by the key filter.
    EXPECT_EQ(run({"--batch", writeJob("ChPPT=1\nTPlay=a\n"), "--check"}).exitCode, 2);
}

TEST_F(BatchModeTest, InterruptEndsToolsAndDeletesTheWorkspace)
{
    QProcess process;
    start(process,
          {"--batch", writeJob("videos=" + videos() + "\nTMax=5\nTLen=3\noutput=" + outputFolder() + "\n")});
    // Wait until an output file is being written, then interrupt the run.
    QString err;
    for (int i = 0; i < 600 && !err.contains("状态：视频生成中"); ++i) {
        process.waitForReadyRead(50);
        err += QString::fromUtf8(process.readAllStandardError());
    }
    ASSERT_TRUE(err.contains("状态：视频生成中")) << err.toStdString();
    ::kill(pid_t(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_NE(process.exitCode(), 2);
    // Only complete outputs are left, none half-written.
    const QStringList outputs = QDir(outputFolder()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_LT(outputs.size(), 5);
    for (const QString &name : outputs) {
        EXPECT_TRUE(QRegularExpression("^000[1-5]\\.mp4$").match(name).hasMatch()) << name.toStdString();
        EXPECT_GE(MediaFactory::probe(QDir(outputFolder()).filePath(name)).durationSeconds, 1.9);
    }
    EXPECT_FALSE(QFileInfo::exists(workspace()));
    // No process runs a program from this test's folders any more.
    for (const QString &pid : QDir("/proc").entryList(QDir::Dirs)) {
        const QString exe = QFileInfo("/proc/" + pid + "/exe").symLinkTarget();
        EXPECT_FALSE(!exe.isEmpty() && exe.startsWith(home.path())) << exe.toStdString();
    }
}

TEST_F(BatchModeTest, TwoRunsAtTheSameTimeEachMakeTheirOutputs)
{
    // Two jobs started together by a script, sharing the user's cache folder.
    QProcess first;
    QProcess second;
    const QString otherOutput = home.filePath("输出 二");
    QDir().mkpath(otherOutput);
    const QString job = "videos=" + videos() + "\nTMax=2\nTLen=2\n";
    start(first, {"--batch", writeJob(job + "output=" + outputFolder() + "\n")});
    const QString secondJob = home.filePath("job 2.txt");
    QFile file(secondJob);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write((job + "output=" + otherOutput + "\n").toUtf8());
    file.close();
    start(second, {"--batch", secondJob});
    for (QProcess *process : {&first, &second}) {
        ASSERT_TRUE(process->waitForFinished(300000));
        EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().toStdString();
    }
    for (const QString &folder : {outputFolder(), otherOutput}) {
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), (QStringList{"0001.mp4", "0002.mp4"}));
        for (const char *name : {"0001.mp4", "0002.mp4"}) {
            const MediaFactory::StreamFacts facts = MediaFactory::probe(QDir(folder).filePath(name));
            EXPECT_TRUE(facts.hasVideo && facts.hasAudio) << name;
            // Cut by stream copy, a clip is only as exact as its key frames.
            EXPECT_GE(facts.durationSeconds, 1.9) << name;
        }
    }
    // Both workspaces and their claims are gone.
    EXPECT_TRUE(QDir(home.filePath("cache/ZarvMulVideoEditor"))
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                    .isEmpty());
}

// Every file under a folder with its size and time, to see what a run changed.
QMap<QString, QPair<qint64, QDateTime>> filesUnder(const QString &folder)
{
    QMap<QString, QPair<qint64, QDateTime>> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        files.insert(info.filePath(), {info.size(), info.lastModified()});
    }
    return files;
}

// Quotes, apostrophes, blanks and Chinese characters in the names of the
// sources, the fixed audio, the output folder and the workspace reach the
// tool as they are: the outputs are made, and nothing outside the output
// folder changes (a folder "o" or "out" beside it keeps its files).
TEST_F(BatchModeTest, QuotesAndBlanksInEveryPathMakeCorrectOutputsAndTouchNothingElse)
{
    const QString root = home.filePath(QStringLiteral("根 \"x\" 'y'"));
    const QString sources = root + QStringLiteral("/源 \"引\" '号'");
    const QString output = root + QStringLiteral("/o\"u't 输出");
    cacheFolder = root + QStringLiteral("/cache \"c\"");
    for (const QString &folder : {sources, output, root + "/o", root + "/out", cacheFolder})
        QDir().mkpath(folder);
    for (int i = 0; i < 5; ++i)  // five allow two different draws of four
        ASSERT_TRUE(QFile::copy(videos() + QStringLiteral("/clip %1.mp4").arg(i),
                                sources + QStringLiteral("/片 \"%1\" 'a'.mp4").arg(i)));
    const QString audio = root + QStringLiteral("/配'乐 \"x\".mp3");
    ASSERT_TRUE(QFile::copy(media->filePath("配乐.mp3"), audio));
    for (const QString &decoy : {root + "/o/0001.mp4", root + "/out/0001.mp4", root + "/0001.mp4"}) {
        QFile file(decoy);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not an output");
    }
    const QString job = writeJob("videos=" + sources + "\nLNewAu=" + audio
                                 + "\nCmbAudio=4\nChCut=1\nTLen=3\nTMax=2\noutput=" + output + "\n");
    const auto before = filesUnder(home.path());

    const Result r = run({"--batch", job});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    for (const char *name : {"0001.mp4", "0002.mp4"}) {
        const MediaFactory::StreamFacts facts = MediaFactory::probe(QDir(output).filePath(name));
        EXPECT_EQ(facts.width, 320) << name;
        EXPECT_EQ(facts.height, 240) << name;
        EXPECT_TRUE(facts.hasAudio) << name;
        // 3 s, or the longest drawn clip when that is shorter (2.75 s).
        EXPECT_NEAR(facts.durationSeconds, 2.875, 0.15) << name;
    }
    auto after = filesUnder(home.path());
    // The program's own run log goes to its data folder.
    const QString logs = home.filePath("data/ZarvMulVideoEditor/Logs/");
    for (const QString &path : after.keys())
        if (path.startsWith(output + "/") || path.startsWith(logs))
            after.remove(path);
    EXPECT_EQ(after, before);
    EXPECT_FALSE(QFileInfo::exists(cacheFolder + "/ZarvMulVideoEditor/Tmp"));
}

// The batch mode starts like the window: an update that is due shows in the
// check and refuses the run, but a job never starts the update itself.
TEST_F(BatchModeTest, AnUpdateDueShowsInTheCheckAndRefusesARun)
{
    QTemporaryDir site;
    StaticWebServer server(site.path());
    ASSERT_TRUE(server.start()) << "the web server did not start";
    QFile note(server.file("ZarvMulVideoEditor.txt"));
    ASSERT_TRUE(note.open(QIODevice::WriteOnly) && note.write("03\n") == 3);
    note.close();
    updateUrl = server.baseUrl();
    const QString job = writeJob("videos=" + videos() + "\nTMax=1\noutput=" + outputFolder() + "\n");

    Result r = run({"--batch", job, "--check"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.split('\n').contains("CmdUpdate\t更新\tenabled\tvisible")) << r.out.toStdString();

    r = run({"--batch", job});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("请先更新方能使用！")) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("更新升级文件包下载失败，请稍后重试！")) << "a job never starts the update";
    EXPECT_TRUE(QDir(outputFolder()).entryList(QDir::Files).isEmpty());
}

// The argument lists of a tool log, the workspace folder (which may differ
// from run to run) written as WS.
QStringList toolArguments(const QString &logPath)
{
    QFile log(logPath);
    log.open(QIODevice::ReadOnly);
    const QStringList lines = QString::fromUtf8(log.readAll()).split('\n').filter(QRegularExpression("^> "));
    return lines.join('\n')
        .replace(QRegularExpression("/cache/ZarvMulVideoEditor/[^/ ]+"), "/WS")
        .split('\n');
}

TEST_F(BatchModeTest, ASeedOnTheCommandLineOrInTheJobRepeatsTheBatch)
{
    // The length of the shortest video drawn: the others start at random.
    const QString job = "videos=" + videos() + "\nCmbLen=2\nTMax=3\noutput=" + outputFolder() + "\n";
    const auto outputBytes = [this] {
        QFile file(QDir(outputFolder()).filePath("0003.mp4"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    toolLog = home.filePath("seed7.log");
    ASSERT_EQ(run({"--batch", writeJob(job), "--seed", "7"}).exitCode, 0);
    const QStringList first = toolArguments(toolLog);
    const QByteArray firstOutput = outputBytes();
    EXPECT_GE(first.size(), 15);
    EXPECT_FALSE(firstOutput.isEmpty());

    // The same names again: the earlier outputs are overwritten.
    toolLog = home.filePath("seed7-again.log");
    ASSERT_EQ(run({"--batch", writeJob(job + "seed=7\nanswers=yes\n")}).exitCode, 0);
    EXPECT_EQ(toolArguments(toolLog), first);
    EXPECT_TRUE(outputBytes() == firstOutput);

    toolLog = home.filePath("seed8.log");
    ASSERT_EQ(run({"--batch", writeJob(job + "answers=yes\n"), "--seed", "8"}).exitCode, 0);
    EXPECT_NE(toolArguments(toolLog), first);

    const Result refused = run({"--batch", writeJob(job), "--seed", "-1"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains("--seed只能是非负整数")) << refused.err.toStdString();
}

TEST_F(BatchModeTest, OnATerminalEachOutputHasOneUpdatingLine)
{
    // The program's standard error is a terminal that script(1) makes.
    const QString job =
        writeJob("videos=" + videos() + "\nCmbLen=2\nTMax=2\noutput=" + outputFolder() + "\n");
    QProcess terminal;
    terminal.setProcessEnvironment(environment());
    terminal.start(
        "script",
        {"-qfec", "'" ZARV_PROGRAM_DIR "/ZarvMulVideoEditor' --batch '" + job + "' --one-pass", "/dev/null"});
    ASSERT_TRUE(terminal.waitForStarted()) << "script(1) is needed for this test";
    terminal.closeWriteChannel();
    ASSERT_TRUE(terminal.waitForFinished(300000));
    EXPECT_EQ(terminal.exitCode(), 0);
    const QString screen = QString::fromUtf8(terminal.readAll());
    EXPECT_TRUE(screen.contains("\r输出 1/2｜视频源随机抽取中...0/4｜已用 ")) << screen.toStdString();
    // Output 1's line stays: a new line starts before output 2's.
    EXPECT_TRUE(
        screen.contains(QRegularExpression("输出 1/2｜视频生成Ok！[^\r\n]*\\x1b\\[K\r?\n\r输出 2/2")));
    EXPECT_TRUE(screen.contains(
        QRegularExpression("\r输出 2/2｜视频生成Ok！[^\r\n]*｜已用 \\d:\\d\\d:\\d\\d｜剩余约 ")));
    EXPECT_FALSE(screen.contains("\n状态：视频生成Ok！"));  // no status line of its own
    EXPECT_TRUE(screen.contains("消息：处理完毕！"));
}

}  // namespace
