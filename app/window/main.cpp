#include "app/library/MediaInfoProber.h"
#include "app/library/MediaProber.h"
#include "app/window/BatchDialogs.h"
#include "app/window/BatchJob.h"
#include "app/window/FFmain.h"
#include "app/window/RunDriver.h"
#include "app/window/QtChineseTranslation.h"
#include "app/window/QtDialogService.h"
#include "app/compose/SystemRandom.h"
#include "app/update/UpdateServer.h"
#include "platform/AppFolders.h"
#include "platform/Utf8Locale.h"

#include <QApplication>
#include <QTextStream>
#include <QTimer>

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

volatile std::sig_atomic_t interruptReceived = 0;

void onInterrupt(int)
{
    interruptReceived = 1;
}

// --batch JOB [--check]: the same window, never shown, driven by a job file.
int runBatch(const QString &jobPath, bool checkOnly, const AppFolders &folders)
{
    BatchDialogs dialogs;
    MediaInfoProber prober;
    SystemRandom random;
    WindowServices services{&dialogs, &prober, &random, folders.programFolder, folders.workRoot,
                            folders.dataFolder, UpdateServer::baseUrl()};
    FFmain window(services);
    // The job and a run see the version check's answer, as a user would.
    window.awaitVersionCheck();
    QObject::connect(&window, &FFmain::statusTextChanged, &window,
                     [&dialogs](const QString &text) { dialogs.printLine(text); });

    // An interrupt acts as a confirmed stop: the run ends its tools, deletes
    // its workspace and the program exits.
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    QTimer interruptWatch;
    QObject::connect(&interruptWatch, &QTimer::timeout, &window, [&window] {
        if (interruptReceived)
            window.runDriver().stopWithoutQuestion();
    });
    interruptWatch.start(50);

    BatchJob job(window, dialogs);
    QString error;
    if (!job.load(jobPath, &error) || !job.apply(&error)) {
        dialogs.printLine(error);
        return BatchJob::Refused;
    }
    if (interruptReceived)
        return BatchJob::Refused;
    if (checkOnly) {
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
    if (batch && arguments.size() < 2) {
        std::fputs("usage: ZarvMulVideoEditor --batch JOB [--check]\n", stderr);
        return BatchJob::Refused;
    }
    if (batch && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZarvMulVideoEditor"));
    const AppFolders folders = AppFolders::forCurrentUser(QCoreApplication::applicationDirPath());
    QtChineseTranslation::install(app, folders.programFolder);
    if (batch)
        return runBatch(arguments.at(1), arguments.contains(QStringLiteral("--check")), folders);
    QtDialogService dialogs;
    MediaInfoProber prober;
    SystemRandom random;
    WindowServices services{&dialogs, &prober, &random, folders.programFolder, folders.workRoot,
                            folders.dataFolder, UpdateServer::baseUrl()};
    FFmain window(services);
    dialogs.setOwner(&window);
    QObject::connect(&window, &FFmain::programEndRequested, &app, [] { QCoreApplication::exit(0); });
    window.show();
    return app.exec();
}
