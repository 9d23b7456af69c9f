// The slide show: the time to grab one frame of a 60 s source with the seek
// after the input (as the grab was first written) and before it (as it is
// now), and the wall time of one output with n = 10, m = 4, P = 3.
#include "FixedRandom.h"
#include "MediaFactory.h"
#include "RecordingRunContext.h"
#include "RecordingToolRunner.h"
#include "app/compose/ComposerFactory.h"
#include "app/run/BatchRun.h"
#include "app/run/ComposeEnvironment.h"
#include "app/run/SystemRandom.h"
#include "app/run/Workspace.h"
#include "platform/Utf8Locale.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// Seconds per run of the tool over the given argument lists.
double secondsPerRun(const QList<QStringList> &runs, const QString &folder)
{
    QElapsedTimer timer;
    timer.start();
    for (const QStringList &arguments : runs) {
        QProcess tool;
        tool.setWorkingDirectory(folder);
        tool.start(MediaFactory::ffmpegPath(), QStringList{"-nostdin", "-loglevel", "error"} + arguments);
        tool.waitForFinished(600000);
    }
    return timer.nsecsElapsed() / 1e9 / runs.size();
}

// The grab with its seek moved behind the input: "-ss T -i SRC" becomes "-i SRC -ss T".
QStringList seekAfterInput(QStringList arguments)
{
    const qsizetype seek = arguments.indexOf(QStringLiteral("-ss"));
    const QStringList moved = arguments.mid(seek, 2);
    arguments.remove(seek, 2);
    const qsizetype input = arguments.indexOf(QStringLiteral("-i"));
    arguments.insert(input + 2, moved.at(1));
    arguments.insert(input + 2, moved.at(0));
    return arguments;
}

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    EnsureUtf8CharacterLocale();
    QGuiApplication app(argc, argv);
    QTemporaryDir folder;
    QDir().mkpath(folder.filePath("out"));
    QDir().mkpath(folder.filePath("work/Tmp/Tmp/SrcImg"));
    std::printf("making a 60 s and ten 10 s 640x360 clips...\n");
    MediaFactory::makeVideo(folder.filePath("long.mp4"), 640, 360, 60);
    for (int i = 0; i < 10; ++i)
        MediaFactory::makeVideo(folder.filePath(QStringLiteral("clip%1.mp4").arg(i)), 640, 360, 10);

    // 1. The grabs the composer asks for on the 60 s source, then the same with the old seek.
    RunSettings settings;
    settings.slideShow = true;
    settings.maxText = settings.videoDrawText = QStringLiteral("1");
    settings.pictureRangeText = QStringLiteral("8-8");
    settings.outputWidth = 1280;
    settings.outputHeight = 720;
    settings.outputFolderText = folder.filePath("out");
    settings.readNumbers();
    const SourceTable videos(SourceKind::Video, {{"long.mp4", folder.path(), "640", "360", "60"}});
    const SourceTable none;
    RecordingRunContext context;
    RecordingToolRunner recorder(folder.filePath("work/Tmp"), context,
                                 RecordingToolRunner::Execution::RecordOnly);
    FixedRandom offsets({0.0, 0.12, 0.31, 0.45, 0.58, 0.66, 0.79, 0.93, 0.99});
    ComposeEnvironment environment{settings,
                                   videos,
                                   none,
                                   none,
                                   recorder,
                                   context,
                                   offsets,
                                   folder.filePath("work/Tmp"),
                                   QDateTime::currentDateTime()};
    Workspace workspace(folder.filePath("work"));
    const std::unique_ptr<Composer> composer = MakeComposer(environment);
    composer->prepare(workspace);
    OutputReport report;
    composer->compose(1, QDateTime::currentDateTime(), report);
    const QList<QStringList> grabs = recorder.argumentLists.mid(0, 8);
    QList<QStringList> oldGrabs;
    for (const QStringList &grab : grabs)
        oldGrabs.append(seekAfterInput(grab));
    const double before = secondsPerRun(oldGrabs, folder.filePath("work/Tmp"));
    const double after = secondsPerRun(grabs, folder.filePath("work/Tmp"));

    // 2. One whole output through the batch run.
    BatchRunRequest request;
    request.settings = settings;
    request.settings.videoDrawText = QStringLiteral("10");
    request.settings.pictureRangeText = QStringLiteral("4-4");
    request.settings.slideSecondsText = QStringLiteral("3");
    request.settings.audioRule = AudioRule::LongestVideo;
    request.settings.readNumbers();
    for (int i = 0; i < 10; ++i)
        request.videos.append({QStringLiteral("clip%1.mp4").arg(i), folder.path(), "640", "360", "10"});
    request.workRoot = folder.filePath("run");
    request.programFolder = QStringLiteral(ZARV_PROGRAM_DIR);
    request.runStartTime = QDateTime::currentDateTime();
    SystemRandom random;
    request.random = &random;
    RecordingRunContext runContext;
    BatchRun batch(runContext, MakeComposer);
    QElapsedTimer timer;
    timer.start();
    const BatchRunSummary summary = batch.run(request);
    const double outputSeconds = timer.nsecsElapsed() / 1e9;
    const MediaFactory::StreamFacts made = MediaFactory::probe(folder.filePath("out/0001.mp4"));

    std::printf("grab of one frame, 60 s source, seek after the input: %.3f s\n", before);
    std::printf("grab of one frame, 60 s source, seek before the input: %.3f s (%.1fx faster)\n", after,
                before / after);
    std::printf(
        "one output, n = 10, m = 4, P = 3 (1280x720, 7.5 s): %.2f s wall time; made: %s (%dx%d, %.2f s)\n",
        outputSeconds, summary.done == 1 ? "yes" : "NO", made.width, made.height, made.durationSeconds);
    return summary.done == 1 ? 0 : 1;
}
