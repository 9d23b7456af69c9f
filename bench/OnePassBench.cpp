// The same seeded batch of ten four-source outputs from six 640x360 10 s
// clips, made the usual way (four cuts, then the composition) and in one
// pass, through the batch run with real tool processes: the wall time of
// each and their ratio.
#include "MediaFactory.h"
#include "RecordingRunContext.h"
#include "app/compose/ComposerFactory.h"
#include "app/library/MediaInfoProber.h"
#include "app/library/SourceTable.h"
#include "app/run/BatchRun.h"
#include "platform/Utf8Locale.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Timing {
    double seconds = 0;
    BatchRunSummary summary;
};

Timing makeBatch(const QTemporaryDir &folder, const SourceTable &videos, FourSourcePipeline pipeline,
                 const QString &outputName)
{
    const QString output = folder.filePath(outputName);
    QDir().mkpath(output);
    RecordingRunContext context;
    MediaInfoProber prober;  // as the program: it checks each output, and one pass reads frame rates
    BatchRunRequest request;
    request.settings.maxText = QStringLiteral("10");
    request.settings.lengthText = QStringLiteral("8");
    request.settings.outputFolderText = output;
    request.settings.fourSourcePipeline = pipeline;
    request.settings.readNumbers();
    request.videos = videos;
    request.workRoot = folder.filePath(QStringLiteral("work/"));
    request.programFolder = QStringLiteral(ZARV_PROGRAM_DIR);
    request.toolName = QStringLiteral("CutBench.exe");
    request.runStartTime = QDateTime::currentDateTime();
    request.seed = 2026;
    request.outputProber = &prober;
    QElapsedTimer timer;
    timer.start();
    Timing timing;
    timing.summary = BatchRun(context, MakeComposer).run(request);
    timing.seconds = double(timer.nsecsElapsed()) / 1e9;
    return timing;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char **argv)
{
    EnsureUtf8CharacterLocale();
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const QString sources = folder.filePath(QStringLiteral("sources"));
    QDir().mkpath(sources);
    std::printf("making six 640x360 10 s clips...\n");
    SourceTable videos(SourceKind::Video);
    for (int i = 0; i < 6; ++i) {
        const QString name = QStringLiteral("clip%1.mp4").arg(i);
        MediaFactory::makeVideo(sources + QLatin1Char('/') + name, 640, 360, 10.0);
        videos.append({name, sources, QStringLiteral("640"), QStringLiteral("360"), QStringLiteral("10")});
    }

    // This machine's speed drifts by a tenth from minute to minute, more than
    // the difference looked for: the two ways take turns, each round in the
    // other order, and the medians are compared. The first argument sets the
    // number of rounds (3).
    const int rounds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 3;
    std::printf("seeded batch of 10 outputs (1280x720, 8 s each), seed 2026, %d rounds\n", rounds);
    std::vector<double> cutsSeconds;
    std::vector<double> onePassSeconds;
    bool allMade = true;
    for (int round = 0; round < rounds; ++round) {
        const auto make = [&](FourSourcePipeline pipeline, std::vector<double> &seconds, const char *name) {
            const Timing timing =
                makeBatch(folder, videos, pipeline, QStringLiteral("%1-%2").arg(QLatin1String(name)).arg(round));
            allMade = allMade && timing.summary.done == 10;
            seconds.push_back(timing.seconds);
            std::printf("round %d  %-24s %6.2f s (%d made)\n", round + 1, name, timing.seconds, timing.summary.done);
        };
        if (round % 2 == 0) {
            make(FourSourcePipeline::CutsThenComposition, cutsSeconds, "cuts, then composition");
            make(FourSourcePipeline::OnePass, onePassSeconds, "one pass");
        } else {
            make(FourSourcePipeline::OnePass, onePassSeconds, "one pass");
            make(FourSourcePipeline::CutsThenComposition, cutsSeconds, "cuts, then composition");
        }
        std::printf("round %d  ratio %.2f\n", round + 1, cutsSeconds.back() / onePassSeconds.back());
    }
    const double cuts = median(cutsSeconds);
    const double onePass = median(onePassSeconds);
    std::printf("median: cuts, then composition %.2f s; one pass %.2f s\n", cuts, onePass);
    std::printf("ratio: %.2f\n", cuts / onePass);
    return allMade ? 0 : 1;
}
