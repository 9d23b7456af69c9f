// One precise four-split output of four 640x360 10-second clips (a 1280x720
// canvas, 250 frames): the wall time of the real run and the rate of its
// frame loop, next to the tool's own steps run alone (the eight extractions
// at once, then the final encode of as many frames of the same size).
#include "FixedRandom.h"
#include "MediaFactory.h"
#include "RecordingRunContext.h"
#include "app/compose/ComposerFactory.h"
#include "app/run/BatchRun.h"
#include "platform/Utf8Locale.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace {

// Processor time of this program so far (all its threads), in seconds.
double processorSeconds()
{
#ifdef _WIN32
    return 0;  // not measured there
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
#endif
}

// Notes when the frame loop shows its first frame and when the step after it begins.
class TimingContext : public RecordingRunContext {
public:
    void setStatus(const QString &text) override
    {
        if (text.startsWith(QStringLiteral("状态：视频帧预处理中..."))) {
            if (firstFrameNs < 0) {
                firstFrameNs = clock.nsecsElapsed();
                firstFrameProcessor = processorSeconds();
            }
            ++frames;
        } else if (firstFrameNs >= 0 && lastFrameNs < 0) {
            // The next step begins once every frame is written.
            lastFrameNs = clock.nsecsElapsed();
            lastFrameProcessor = processorSeconds();
        }
    }
    QElapsedTimer clock;
    qint64 firstFrameNs = -1;
    qint64 lastFrameNs = -1;
    double firstFrameProcessor = 0;
    double lastFrameProcessor = 0;
    int frames = 0;
};

bool runAll(const QList<QStringList> &commands)
{
    QList<QProcess *> running;
    for (const QStringList &arguments : commands) {
        auto *process = new QProcess;
        process->start(MediaFactory::ffmpegPath(), QStringList{"-loglevel", "error", "-nostdin"} + arguments);
        running.append(process);
    }
    bool ok = true;
    for (QProcess *process : running) {
        ok = process->waitForFinished(-1) && process->exitCode() == 0 && ok;
        delete process;
    }
    return ok;
}

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    EnsureUtf8CharacterLocale();
    QGuiApplication app(argc, argv);
    QTemporaryDir folder;
    const QString sources = folder.filePath("sources");
    QDir().mkpath(sources);
    QDir().mkpath(folder.filePath("out"));
    std::printf("making four 640x360 10 s clips...\n");
    BatchRunRequest request;
    for (int i = 0; i < 4; ++i) {
        const QString name = QStringLiteral("clip%1.mp4").arg(i);
        MediaFactory::makeVideo(sources + '/' + name, 640, 360, 10.0);
        request.videos.append({name, sources, "640", "360", "10"});
    }
    FixedRandom random({0.1, 0.4, 0.6, 0.9});
    request.settings.preciseQuad = true;
    request.settings.maxText = QStringLiteral("1");
    request.settings.lengthText = QStringLiteral("10");
    request.settings.audioRule = AudioRule::LongestVideo;
    request.settings.outputFolderText = folder.filePath("out");
    request.settings.readNumbers();
    request.workRoot = folder.filePath("work");
    request.programFolder = QStringLiteral(ZARV_PROGRAM_DIR);
    request.toolName = QStringLiteral("CutBench.exe");
    request.random = &random;
    request.runStartTime = QDateTime::currentDateTime();

    // 1. The real run.
    TimingContext context;
    BatchRun batch(context, MakeComposer);
    context.clock.start();
    const BatchRunSummary summary = batch.run(request);
    const double runSeconds = context.clock.nsecsElapsed() / 1e9;
    const double loopSeconds = (context.lastFrameNs - context.firstFrameNs) / 1e9;
    const MediaFactory::StreamFacts facts = MediaFactory::probe(folder.filePath("out/0001.mp4"));

    // 2. The tool's steps alone.
    const QString alone = folder.filePath("alone");
    for (const char *sub : {"Images", "Images1", "Images2", "Images3", "Images4"})
        QDir().mkpath(alone + '/' + sub);
    // Frames of the output's size to encode, made beforehand (not timed).
    runAll({{"-i", sources + "/clip0.mp4", "-i", sources + "/clip1.mp4", "-i", sources + "/clip2.mp4", "-i",
             sources + "/clip3.mp4", "-filter_complex",
             "[0:v][1:v][2:v][3:v]xstack=inputs=4:layout=0_0|w0_0|0_h0|w0_h0", "-r", "25", "-frames:v",
             QString::number(context.frames), "-q:v", "2", alone + "/Images/%06d.jpg"}});
    QList<QStringList> extractions;
    for (int k = 1; k <= 4; ++k) {
        const QString clip = sources + QStringLiteral("/clip%1.mp4").arg(k - 1);
        extractions.append({"-i", clip, "-f", "image2", "-y", "-q:v", "0", "-r", "25",
                            alone + QStringLiteral("/Images%1/%06d.jpg").arg(k)});
        extractions.append({"-i", clip, "-y", "-q:a", "0", "-f", "wav", "-ar", "44100", "-b:a", "192k", "-ac",
                            "2", alone + QStringLiteral("/%1.wav").arg(k)});
    }
    QElapsedTimer timer;
    timer.start();
    runAll(extractions);
    const double extractionSeconds = timer.nsecsElapsed() / 1e9;
    runAll({{"-ss", "0", "-t", "10", "-i", alone + "/1.wav", "-y", "-q:a", "0", "-acodec", "copy",
             alone + "/Audio.wav"}});
    runAll({{"-i", alone + "/Audio.wav", "-f", "image2", "-i", alone + "/Images/%06d.jpg", "-q:v", "0",
             "-q:a", "0", "-y", "-r", "25", "-pix_fmt", "yuv420p", alone + "/out.mp4"}});
    const double toolSeconds = timer.nsecsElapsed() / 1e9;

    std::printf("output made: %s (%dx%d, %.3f s, sound %s); frames painted: %d\n",
                summary.done == 1 ? "yes" : "NO", facts.width, facts.height, facts.durationSeconds,
                facts.hasAudio ? "yes" : "no", context.frames);
    std::printf("run through the program: %.2f s\n", runSeconds);
    std::printf("frame loop: %.2f s, %.1f frames per second\n", loopSeconds,
                loopSeconds > 0 ? context.frames / loopSeconds : 0.0);
    std::printf("frame loop processor time (all threads of the program): %.2f s, %.1f ms a frame\n",
                context.lastFrameProcessor - context.firstFrameProcessor,
                1000 * (context.lastFrameProcessor - context.firstFrameProcessor)
                    / std::max(context.frames, 1));
    std::printf("tool steps alone: %.2f s (extractions %.2f s, then sound cut and final encode %.2f s)\n",
                toolSeconds, extractionSeconds, toolSeconds - extractionSeconds);
    std::printf("ratio: %.2f\n", runSeconds / toolSeconds);
    return summary.done == 1 ? 0 : 1;
}
