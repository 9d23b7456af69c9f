// One four-source output of four 640x360 10-second clips: the wall time of
// the real run (window, run driver, tool runner and its waits) next to the
// time of a shell script that replays the same tool commands with the same
// parallelism (the four cuts at once, then the final step). The program
// should stay within 5 % of the script. Usage: VideoVideoRunBench [rounds, default 3]
#include "FixedRandom.h"
#include "MediaFactory.h"
#include "RecordingRunContext.h"
#include "RecordingToolRunner.h"
#include "ScriptedDialogs.h"
#include "ScriptedProber.h"
#include "app/compose/ComposerFactory.h"
#include "app/library/SourceTable.h"
#include "app/run/ComposeEnvironment.h"
#include "app/window/FFmain.h"
#include "app/window/OptionRules.h"
#include "app/window/RunDriver.h"
#include "app/window/SourceGrid.h"
#include "app/window/SourceListOps.h"
#include "platform/Utf8Locale.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

QString shellQuoted(const QString &word)
{
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// The recorded commands as a script: the runs before each wait start
// together in the background, and the wait waits for them all.
QString replayScript(const RecordingToolRunner &recorder)
{
    QString script = QStringLiteral("set -e\n");
    int next = 0;
    for (const RecordingToolRunner::Wait &wait : recorder.waits) {
        for (; next < wait.startsBefore; ++next) {
            QStringList words{shellQuoted(MediaFactory::ffmpegPath()), QStringLiteral("-nostdin"),
                              QStringLiteral("-loglevel"), QStringLiteral("error")};
            for (const QString &argument : recorder.argumentLists.at(next))
                words.append(shellQuoted(argument));
            script += words.join(QLatin1Char(' ')) + QStringLiteral(" &\n");
        }
        script += QStringLiteral("wait\n");
    }
    return script;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    EnsureUtf8CharacterLocale();
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 3;
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

    ScriptedDialogs dialogs;
    ScriptedProber prober;
    FixedRandom random(draws);
    WindowServices services{&dialogs,
                            &prober,
                            &random,
                            QStringLiteral(ZARV_PROGRAM_DIR),
                            folder.filePath("work/"),
                            folder.filePath("data/"),
                            QUrl()};
    FFmain window(services);
    for (int i = 0; i < 4; ++i) {
        const QString name = QStringLiteral("clip%1.mp4").arg(i);
        window.lists().AppendRow(SourceKind::Video,
                                 {name, sources, "640", "360",
                                  MediaProber::durationText(*prober.probeDuration(sources + "/" + name))});
    }
    window.controls().LOutDir->setText(output);
    window.controls().TMax->setText("1");
    window.controls().TLen->setText("10");
    window.runDriver().setToolName(QStringLiteral("CutBench.exe"));

    // The commands of the same output, recorded into a workspace of the script's own.
    QTemporaryDir scriptWorkspace;
    RunSettings settings = window.options().readSettings();
    settings.outputFolderText = folder.filePath("out2");
    QDir().mkpath(settings.outputFolderText);
    settings.readNumbers();
    const SourceTable videos = window.controls().MSFV->table();
    const SourceTable none;
    RecordingRunContext context;
    RecordingToolRunner recorder(scriptWorkspace.path(), context, RecordingToolRunner::Execution::RecordOnly);
    FixedRandom sameDraws(draws);
    ComposeEnvironment environment{settings,
                                   videos,
                                   none,
                                   none,
                                   recorder,
                                   context,
                                   sameDraws,
                                   scriptWorkspace.path(),
                                   QDateTime::currentDateTime()};
    OutputReport report;
    MakeComposer(environment)->compose(1, QDateTime::currentDateTime(), report);
    const QString scriptPath = folder.filePath("replay.sh");
    QFile scriptFile(scriptPath);
    if (!scriptFile.open(QIODevice::WriteOnly))
        return 1;
    scriptFile.write(replayScript(recorder).toUtf8());
    scriptFile.close();

    // Alternating rounds, so that neither side has the warmer caches.
    QList<double> programSeconds;
    QList<double> scriptSeconds;
    bool allMade = true;
    bool scriptsRan = true;
    QElapsedTimer timer;
    for (int round = 0; round < rounds; ++round) {
        random = FixedRandom(draws);
        timer.start();
        window.controls().CmdDo->click();
        programSeconds.append(timer.nsecsElapsed() / 1e9);
        allMade = allMade && window.runDriver().lastSummary().done == 1;

        QProcess shell;
        shell.setWorkingDirectory(scriptWorkspace.path());
        timer.start();
        shell.start(QStringLiteral("/bin/sh"), {scriptPath});
        scriptsRan = scriptsRan && shell.waitForFinished(600000) && shell.exitCode() == 0;
        scriptSeconds.append(timer.nsecsElapsed() / 1e9);
    }

    const double program = median(programSeconds);
    const double script = median(scriptSeconds);
    std::printf("output made: %s; script ran: %s; tool commands: %lld in %lld steps\n",
                allMade ? "yes" : "NO", scriptsRan ? "yes" : "NO",
                static_cast<long long>(recorder.argumentLists.size()),
                static_cast<long long>(recorder.waits.size()));
    std::printf("run through the program: %.2f s (median of %d)\n", program, rounds);
    std::printf("same commands by a script: %.2f s (median of %d)\n", script, rounds);
    std::printf("program / script: %.3f (target at most 1.05)\n", script > 0 ? program / script : 0.0);
    return allMade && scriptsRan ? 0 : 1;
}
