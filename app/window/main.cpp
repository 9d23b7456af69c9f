#include "app/library/MediaInfoProber.h"
#include "app/library/MediaProber.h"
#include "app/window/BatchDialogs.h"
#include "app/window/BatchJob.h"
#include "app/window/FFmain.h"
#include "app/window/MainControls.h"
#include "app/window/RunDriver.h"
#include "app/window/QtChineseTranslation.h"
#include "app/window/QtDialogService.h"
#include "app/window/TerminalProgress.h"
#include "platform/ErrorTerminal.h"
#include "app/run/SystemRandom.h"
#include "app/update/UpdateServer.h"
#include "platform/AppFolders.h"
#include "platform/StopSignals.h"
#include "platform/Utf8Locale.h"

#include <QApplication>
#include <QIcon>
#include <QLineEdit>
#include <QTextStream>

#include <csignal>
#include <cstdio>

namespace {

// --probe FILE...: one line per file: path, duration, width, height (tab
// separated, empty where the file has no such value). Exit 1 when a file
// could not be probed at all.
int runProbe(const QStringList &files)
{
    MediaInfoProber prober;
    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    int status = 0;
    for (const QString &file : files) {
        const MediaFacts facts = prober.probeFile(file, SourceKind::Video);
        const std::optional<double> &seconds = facts.durationSeconds;
        const std::optional<QSize> &size = facts.frameSize;
        if (!seconds && !size)
            status = 1;
        out << file << '\t' << (seconds ? MediaProber::durationText(*seconds) : QString()) << '\t'
            << (size ? QString::number(size->width()) : QString()) << '\t'
            << (size ? QString::number(size->height()) : QString()) << '\n';
    }
    out.flush();
    return status;
}

// The batch mode's own options after the job file.
struct BatchArguments {
    bool checkOnly = false;
    std::optional<quint64> seed;
    bool onePass = false;
};

// Reads --check, --seed N and --one-pass; false with a message on anything else.
bool readBatchArguments(const QStringList &arguments, BatchArguments *batch, QString *error)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--check")) {
            batch->checkOnly = true;
        } else if (argument == QLatin1String("--one-pass")) {
            batch->onePass = true;
        } else if (argument == QLatin1String("--seed") && i + 1 < arguments.size()) {
            batch->seed = BatchJob::parseSeed(arguments.at(++i));
            if (!batch->seed) {
                *error = QStringLiteral("--seed只能是非负整数：") + arguments.at(i);
                return false;
            }
        } else {
            *error = QStringLiteral("未知的参数：") + argument;
            return false;
        }
    }
    return true;
}

// An installed program (its companions under ../lib) is updated by the package
// manager that installed it, never by itself: no version check, no update.
QUrl updateUrlFor(const AppFolders &folders)
{
    return folders.programFolder == QCoreApplication::applicationDirPath() ? UpdateServer::baseUrl() : QUrl();
}

// --batch JOB [--check] [--seed N] [--one-pass]: the same window, never
// shown, driven by a job file.
int runBatch(const QString &jobPath, const BatchArguments &arguments, const AppFolders &folders)
{
    BatchDialogs dialogs;
    MediaInfoProber prober;
    SystemRandom random;
    WindowServices services{&dialogs, &prober, &random, folders.programFolder, folders.workRoot,
                            folders.dataFolder, updateUrlFor(folders)};
    FFmain window(services);
    // The job and a run see the version check's answer, as a user would.
    window.awaitVersionCheck();
    // On a terminal one line per output is rewritten in place; elsewhere
    // (a file, a pipe) every status text is a line of its own.
    std::optional<TerminalProgress> progress;
    if (const std::optional<int> columns = ErrorTerminalColumns())
        progress.emplace(dialogs, *columns);
    QObject::connect(&window, &FFmain::statusTextChanged, &window, [&dialogs, &progress](const QString &text) {
        if (progress)
            progress->showStatus(text, QDateTime::currentDateTime());
        else
            dialogs.printLine(text);
    });
    QObject::connect(&window.runDriver(), &RunDriver::progressChanged, &window,
                     [&window, &progress](double percent) {
                         if (progress)
                             progress->startOutput(percent, window.controls().TMax->text().toInt(),
                                                   QDateTime::currentDateTime());
                     });

    // An interrupt acts as a confirmed stop: a load of the job ends, or the
    // run ends its tools and deletes its workspace, and the program exits.
    StopSignals stops({SIGINT, SIGTERM});
    QObject::connect(&stops, &StopSignals::stopRequested, &window,
                     [&window] { window.runDriver().stopQuietly(); });

    BatchJob job(window, dialogs);
    job.setInterruption([] { return StopSignals::received(); });
    QString error;
    if (!job.load(jobPath, &error) || !job.apply(&error)) {
        dialogs.printLine(error);
        return BatchJob::Refused;
    }
    if (StopSignals::received()) {
        dialogs.printLine(QStringLiteral("任务已中断。"));
        return BatchJob::Refused;
    }
    // The command line wins over the job's own keys.
    RunDriver::BatchOptions &options = window.runDriver().batchOptions();
    if (arguments.seed)
        options.seed = arguments.seed;
    if (arguments.onePass)
        options.fourSourcePipeline = FourSourcePipeline::OnePass;
    if (arguments.checkOnly) {
        job.validateOnly();
        QTextStream out(stdout);
        out.setEncoding(QStringConverter::Utf8);
        out << job.stateReport();
        return 0;
    }
    return job.run();
}

}  // namespace

int main(int argc, char **argv)
{
    EnsureUtf8CharacterLocale();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    if (arguments.value(0) == QLatin1String("--probe")) {
        QCoreApplication app(argc, argv);
        return runProbe(arguments.mid(1));
    }

    const bool batch = arguments.value(0) == QLatin1String("--batch");
    BatchArguments batchArguments;
    QString argumentError;
    if (batch && (arguments.size() < 2 || !readBatchArguments(arguments.mid(2), &batchArguments, &argumentError))) {
        if (!argumentError.isEmpty())
            std::fprintf(stderr, "%s\n", argumentError.toUtf8().constData());
        std::fputs("usage: ZarvMulVideoEditor --batch JOB [--check] [--seed N] [--one-pass]\n", stderr);
        return BatchJob::Refused;
    }
    if (batch && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZarvMulVideoEditor"));
    // The icon theme's icon when the program is installed, its own otherwise.
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.zarv.ZarvMulVideoEditor"),
                                                 QIcon(QStringLiteral(":/icons/program.png"))));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zarv.ZarvMulVideoEditor"));
    const AppFolders folders =
        AppFolders::forCurrentUser(AppFolders::programFolderFor(QCoreApplication::applicationDirPath()));
    QtChineseTranslation::install(app, folders.programFolder);
    if (batch)
        return runBatch(arguments.at(1), batchArguments, folders);
    QtDialogService dialogs;
    MediaInfoProber prober;
    SystemRandom random;
    WindowServices services{&dialogs, &prober, &random, folders.programFolder, folders.workRoot,
                            folders.dataFolder, updateUrlFor(folders)};
    FFmain window(services);
    dialogs.setOwner(&window);
    QObject::connect(&window, &FFmain::programEndRequested, &app, [] { QCoreApplication::exit(0); });
    // A logout or a kill is a confirmed stop: the run ends its tools and
    // deletes its workspace and unfinished output, then the program ends.
    StopSignals stops({SIGTERM, SIGHUP, SIGINT});
    QObject::connect(&stops, &StopSignals::stopRequested, &window, [&window] {
        window.runDriver().stopQuietly();
        QCoreApplication::exit(0);
    });
    window.show();
    return app.exec();
}
