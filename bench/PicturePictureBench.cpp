// One Picture+Picture output of 30 s at 1280x720, 4 to 8 pictures per clip
// drawn from twenty 1920x1080 pictures, made with the real tool runner: the
// wall time, the share spent in the tool (its runs and the waits for them)
// and the program's own share (drawing, painting, saving, frame links).
// With --phone-photos the pictures are four 8000x6000 photos (48 megapixels,
// with sensor-like noise), and the peak memory of the program is printed.
#include "FixedRandom.h"
#include "MediaFactory.h"
#include "RecordingRunContext.h"
#include "app/compose/ComposerFactory.h"
#include "app/run/ComposeEnvironment.h"
#include "app/run/ProcessToolRunner.h"
#include "app/run/SystemRandom.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSize>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>

#include <sys/resource.h>

namespace {

// Passes every call on and adds up the time spent in the tool.
class TimedRunner : public ToolRunner {
public:
    explicit TimedRunner(ToolRunner &inner) : m_inner(inner) {}
    ToolRun startTool(const QStringList &arguments) override
    {
        QElapsedTimer timer;
        timer.start();
        const ToolRun run = m_inner.startTool(arguments);
        toolNanoseconds += timer.nsecsElapsed();
        ++starts;
        return run;
    }
    ToolRunResult waitForTool(const StatusText &statusText) override
    {
        QElapsedTimer timer;
        timer.start();
        const ToolRunResult result = m_inner.waitForTool(statusText);
        toolNanoseconds += timer.nsecsElapsed();
        return result;
    }
    bool hasEnded(ToolRun run) override { return m_inner.hasEnded(run); }
    int terminateStartedTools() override { return m_inner.terminateStartedTools(); }

    qint64 toolNanoseconds = 0;
    int starts = 0;

private:
    ToolRunner &m_inner;
};

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const QString pictures = folder.filePath(QStringLiteral("pictures"));
    const QString workspace = folder.filePath(QStringLiteral("Tmp"));
    const QString output = folder.filePath(QStringLiteral("out"));
    for (const QString &path : {pictures, workspace, output})
        QDir().mkpath(path);
    const bool phonePhotos = argc > 1 && std::strcmp(argv[1], "--phone-photos") == 0;
    const int pictureCount = phonePhotos ? 4 : 20;
    const QSize pictureSize = phonePhotos ? QSize(8000, 6000) : QSize(1920, 1080);
    std::printf("making %d %dx%d pictures and a 40 s sound...\n", pictureCount, pictureSize.width(),
                pictureSize.height());
    const QString source =
        QStringLiteral("testsrc2=size=%1x%2:rate=1").arg(pictureSize.width()).arg(pictureSize.height());
    QStringList make{"-f", "lavfi", "-i", source};
    if (phonePhotos)
        make << "-vf"
             << "noise=alls=14:allf=u";
    // Phone photos of 48 megapixels take 10 to 20 MB, as these do.
    make << "-frames:v" << QString::number(pictureCount) << "-q:v" << (phonePhotos ? "2" : "3")
         << pictures + QStringLiteral("/p%02d.jpg");
    if (!MediaFactory::runFfmpeg(make)
        || !MediaFactory::makeAudio(folder.filePath(QStringLiteral("sound.mp3")), 40.0)
        || !QFile::copy(QStringLiteral(ZARV_PROGRAM_DIR "/CutMedia.dll"),
                        workspace + QStringLiteral("/CutMedia.exe")))
        return 2;
    QFile::setPermissions(workspace + QStringLiteral("/CutMedia.exe"),
                          QFileDevice::ExeOwner | QFileDevice::ReadOwner);

    SourceTable list(SourceKind::Picture);
    for (int i = 1; i <= pictureCount; ++i)
        list.append({QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0')), pictures,
                     QString::number(pictureSize.width()), QString::number(pictureSize.height())});
    const SourceTable none;
    RunSettings settings;
    settings.composeMode = ComposeMode::PicturePicture;
    settings.audioRule = AudioRule::FixedAudio;
    settings.fixedAudioText = folder.filePath(QStringLiteral("sound.mp3"));
    settings.fixedAudioLengthText = QStringLiteral("40秒");
    settings.lengthText = QStringLiteral("30");
    settings.pictureRangeText = QStringLiteral("4-8");
    settings.outputWidth = 1280;
    settings.outputHeight = 720;
    settings.outputFolderText = output;
    settings.maxText = QStringLiteral("1");
    settings.readNumbers();

    RecordingRunContext context;
    ProcessToolRunner tool(workspace, context);
    TimedRunner runner(tool);
    SystemRandom random;
    ComposeEnvironment environment{
        settings, none, none, list, runner, context, random, workspace, QDateTime::currentDateTime()};
    QElapsedTimer wall;
    wall.start();
    OutputReport report;
    const OutputResult result = MakeComposer(environment)->compose(1, QDateTime::currentDateTime(), report);
    const double wallSeconds = wall.nsecsElapsed() / 1e9;
    const double toolSeconds = runner.toolNanoseconds / 1e9;
    const MediaFactory::StreamFacts facts = MediaFactory::probe(output + QStringLiteral("/0001.mp4"));

    std::printf("output made: %s, %dx%d, %.2f s; tool runs: %d\n",
                result == OutputResult::Done ? "yes" : "NO", facts.width, facts.height, facts.durationSeconds,
                runner.starts);
    std::printf("wall time:          %.2f s\n", wallSeconds);
    std::printf("tool (runs, waits): %.2f s (%.1f %%)\n", toolSeconds, 100 * toolSeconds / wallSeconds);
    std::printf("program's own:      %.2f s (%.1f %%; goal under 10 %%)\n", wallSeconds - toolSeconds,
                100 * (wallSeconds - toolSeconds) / wallSeconds);
    // The making of the pictures above ran in child processes: the program's
    // own peak is this process's.
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory (RSS):  %.1f MB%s\n", usage.ru_maxrss / 1024.0,
                phonePhotos ? " (goal under 400 MB)" : "");
    return result == OutputResult::Done ? 0 : 1;
}
