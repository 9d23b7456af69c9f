// One four-source output of four 640x360 10-second clips: the wall time of
// the real run (window, run driver, tool runner and its waits) next to the
// time of the same tool commands run directly one after another.
#include "FixedRandom.h"
#include "MediaFactory.h"
#include "RecordingRunContext.h"
#include "RecordingToolRunner.h"
#include "ScriptedDialogs.h"
#include "ScriptedProber.h"
#include "app/compose/ComposeEnvironment.h"
#include "app/compose/ComposerFactory.h"
#include "app/library/SourceTable.h"
#include "app/window/FFmain.h"
#include "app/window/OptionRules.h"
#include "app/window/SourceGrid.h"
#include "app/window/RunDriver.h"
#include "app/window/SourceListOps.h"
#include "platform/Utf8Locale.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    EnsureUtf8CharacterLocale();
    QApplication app(argc, argv);
    QTemporaryDir folder;
    const QString sources = folder.filePath("sources");
    const QString output = folder.filePath("out");
    QDir().mkpath(sources);
    QDir().mkpath(output);
    std::printf("making four 640x360 10 s clips...\n");
    for (int i = 0; i < 4; ++i)
        MediaFactory::makeVideo(sources + QStringLiteral("/clip%1.mp4").arg(i), 640, 360, 10.0);

    // The same draws for both: no random start offsets (every clip is 10 s, L = 10).
    const QVector<double> draws{0.1, 0.4, 0.6, 0.9};

    // 1. The real run.
    ScriptedDialogs dialogs;
    ScriptedProber prober;
    FixedRandom random(draws);
    WindowServices services{&dialogs, &prober, &random, QStringLiteral(ZARV_PROGRAM_DIR),
                            folder.filePath("work/"), folder.filePath("data/"), QUrl()};
    FFmain window(services);
    for (int i = 0; i < 4; ++i) {
        const QString name = QStringLiteral("clip%1.mp4").arg(i);
        window.lists().AppendRow(SourceKind::Video, {name, sources, "640", "360",
                                                     MediaProber::durationText(*prober.probeDuration(sources + "/" + name))});
    }
    window.controls().LOutDir->setText(output);
    window.controls().TMax->setText("1");
    window.controls().TLen->setText("10");
    window.runDriver().setToolName(QStringLiteral("CutBench.exe"));
    QElapsedTimer timer;
    timer.start();
    window.controls().CmdDo->click();
    const double runSeconds = timer.nsecsElapsed() / 1e9;
    const bool made = window.runDriver().lastSummary().done == 1;

    // 2. The same commands, run directly one after another.
    QTemporaryDir shellWorkspace;
    RunSettings settings = window.options().readSettings();
    settings.outputFolderText = folder.filePath("out2");
    QDir().mkpath(settings.outputFolderText);
    const SourceTable videos = window.controls().MSFV->table();
    const SourceTable none;
    RecordingRunContext context;
    RecordingToolRunner recorder(shellWorkspace.path(), context, RecordingToolRunner::Execution::RunForReal);
    FixedRandom sameDraws(draws);
    ComposeEnvironment environment{settings, videos, none, none, recorder, context, sameDraws,
                                   shellWorkspace.path(), QDateTime::currentDateTime()};
    settings.readNumbers();
    const std::unique_ptr<Composer> composer = MakeComposer(environment);
    timer.restart();
    composer->compose(1, QDateTime::currentDateTime());
    const double shellSeconds = timer.nsecsElapsed() / 1e9;

    std::printf("output made: %s; tool commands: %lld\n", made ? "yes" : "NO",
                static_cast<long long>(recorder.arguments.size()));
    std::printf("run through the program: %.2f s\n", runSeconds);
    std::printf("same commands one after another: %.2f s\n", shellSeconds);
    std::printf("ratio: %.2f\n", runSeconds / shellSeconds);
    return made ? 0 : 1;
}
