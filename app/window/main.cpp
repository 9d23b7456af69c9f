#include "app/library/MediaInfoProber.h"
#include "app/library/MediaProber.h"
#include "app/run/RunReport.h"
#include "app/run/SystemRandom.h"
#include "app/update/UpdateServer.h"
#include "app/window/BatchDialogs.h"
#include "app/window/BatchJob.h"
#include "app/window/FFmain.h"
#include "app/window/MainControls.h"
#include "app/window/ParallelBatch.h"
#include "app/window/QtChineseTranslation.h"
#include "app/window/QtDialogService.h"
#include "app/window/RunDriver.h"
#include "app/window/TerminalProgress.h"
#include "platform/AppFolders.h"
#include "platform/ErrorTerminal.h"
#include "platform/StopSignals.h"
#include "platform/Utf8Locale.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QLineEdit>
#include <QTextStream>
#include <QTimer>

#include <cmath>
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
    std::optional<OutputRange> outputs;  // --outputs A-B
    int jobs = 1;                        // --jobs N
    bool plan = false;                   // --plan
    QString reportPath;                  // --report FILE
};

// More child processes than this would only wait for one another.
constexpr int MostJobs = 256;

// A seed for a run that was given none: 64 bits from two draws.
quint64 DrawSeed(RandomSource &random)
{
    random.reseed();
    const auto half = [&random] { return quint64(random.next() * 4294967296.0) & 0xFFFFFFFFULL; };
    const quint64 high = half();
    return (high << 32) | half();
}

// The report may replace only a report of this program, in a folder that
// exists and can be written.
bool reportWritable(const QString &path, QString *error)
{
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir() || !folder.isWritable()) {
        *error = QStringLiteral("报告文件的目录不存在或不可写：") + file.absolutePath();
        return false;
    }
    if (file.exists() && (!file.isFile() || !RunReport::readRecords(path))) {
        *error = QStringLiteral("报告文件已存在，且不是本程序写的报告，不会覆盖：") + path;
        return false;
    }
    return true;
}

// Reads --check, --seed N and --one-pass; false with a message on anything else.
bool readBatchArguments(const QStringList &arguments, BatchArguments *batch, QString *error)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--check")) {
            batch->checkOnly = true;
        } else if (argument == QLatin1String("--one-pass")) {
            batch->onePass = true;
        } else if (argument == QLatin1String("--plan")) {
            batch->plan = true;
        } else if (argument == QLatin1String("--outputs") && i + 1 < arguments.size()) {
            batch->outputs = OutputRange::parse(arguments.at(++i));
            if (!batch->outputs) {
                *error = QStringLiteral("--outputs应写成“起-止”，如 3-10：") + arguments.at(i);
                return false;
            }
        } else if (argument == QLatin1String("--jobs") && i + 1 < arguments.size()) {
            bool ok = false;
            batch->jobs = arguments.at(++i).toInt(&ok);
            if (!ok || batch->jobs < 1 || batch->jobs > MostJobs) {
                *error = QStringLiteral("--jobs只能是1到%1的整数：").arg(MostJobs) + arguments.at(i);
                return false;
            }
        } else if (argument == QLatin1String("--report") && i + 1 < arguments.size()) {
            batch->reportPath = arguments.at(++i);
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
    WindowServices services{&dialogs,
                            &prober,
                            &random,
                            folders.programFolder,
                            folders.workRoot,
                            folders.dataFolder,
                            updateUrlFor(folders)};
    FFmain window(services);
    // The job and a run see the version check's answer, as a user would.
    window.awaitVersionCheck();
    // On a terminal one line per output is rewritten in place; elsewhere
    // (a file, a pipe) every status text is a line of its own.
    std::optional<TerminalProgress> progress;
    if (const std::optional<int> columns = ErrorTerminalColumns())
        progress.emplace(dialogs, *columns);
    QObject::connect(&window, &FFmain::statusTextChanged, &window,
                     [&dialogs, &progress](const QString &text) {
                         if (progress)
                             progress->showStatus(text, QDateTime::currentDateTime());
                         else
                             dialogs.printLine(text);
                     });
    // Each failed output's reason gets a line of its own.
    QObject::connect(
        &window.runDriver(), &RunDriver::outputEnded, &window, [&dialogs](const OutputReport &report) {
            if (!report.reason.isEmpty()
                && (report.result == OutputResult::Failed || report.result == OutputResult::Skipped))
                dialogs.printLine(QFileInfo(report.file).fileName() + QStringLiteral(" 生成失败：")
                                  + report.reason);
        });
    QObject::connect(
        &window.runDriver(), &RunDriver::progressChanged, &window,
        [&window, &progress, &arguments](double percent) {
            if (!progress)
                return;
            const int count = window.controls().TMax->text().toInt();
            // A slice's progress counts its own outputs; the line names the batch's.
            if (const std::optional<OutputRange> &slice = arguments.outputs; slice && count > 0) {
                const int number = slice->first - 1 + int(std::lround(percent * slice->count() / 100.0));
                percent = number * 100.0 / count;
            }
            progress->startOutput(percent, count, QDateTime::currentDateTime());
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
    if (!arguments.reportPath.isEmpty() && !reportWritable(arguments.reportPath, &error)) {
        dialogs.printLine(error);
        return BatchJob::Refused;
    }
    // Every run has a seed, so that any batch can be made again.
    if (!options.seed) {
        options.seed = DrawSeed(random);
        if (!arguments.checkOnly)
            dialogs.printLine(QStringLiteral("随机种子：") + QString::number(*options.seed));
    }
    options.outputs = arguments.outputs;
    if (arguments.checkOnly) {
        job.validateOnly();
        QTextStream out(stdout);
        out.setEncoding(QStringConverter::Utf8);
        out << job.stateReport();
        return 0;
    }
    if (arguments.plan || arguments.jobs > 1)
        options.purpose = RunDriver::BatchOptions::Purpose::Plan;
    BatchJob::ExitCode exitCode = job.run();
    const RunDriver::Summary &summary = window.runDriver().lastSummary();
    if (!summary.started)
        return exitCode;
    RunReport report;
    report.settings = summary.settings;
    report.seed = *options.seed;
    report.outputs = options.outputs.value_or(OutputRange{1, summary.settings.outputCount});
    report.records = summary.outputs;
    report.addNotStarted();
    if (arguments.plan) {
        if (!summary.planned) {
            dialogs.printLine(QStringLiteral("此模式的素材取决于制作中的结果，不能预先列出！"));
            return BatchJob::Refused;
        }
        QTextStream out(stdout);
        out.setEncoding(QStringConverter::Utf8);
        out << QString::fromUtf8(report.toJson());
        return BatchJob::Success;
    }
    if (arguments.jobs > 1) {
        // The plan gave the count after validation; each child makes one slice of it.
        QStringList childArguments{QStringLiteral("--batch"), jobPath};
        if (options.fourSourcePipeline == FourSourcePipeline::OnePass)
            childArguments << QStringLiteral("--one-pass");
        const ParallelBatch::Result made = ParallelBatch::run(
            QCoreApplication::applicationFilePath(), childArguments, *options.seed,
            report.outputs.split(arguments.jobs), summary.outputs,
            [&dialogs](const QString &line) { dialogs.printLine(line); },
            [] { return StopSignals::received(); });
        report.records = made.records;
        report.addNotStarted();
        exitCode = BatchJob::ExitCode(made.exitCode);
    }
    if (!arguments.reportPath.isEmpty() && !report.write(arguments.reportPath, &error)) {
        dialogs.printLine(error);
        if (exitCode == BatchJob::Success)
            exitCode = BatchJob::SomeOutputsFailed;
    }
    return exitCode;
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
    if (batch
        && (arguments.size() < 2 || !readBatchArguments(arguments.mid(2), &batchArguments, &argumentError))) {
        if (!argumentError.isEmpty())
            std::fprintf(stderr, "%s\n", argumentError.toUtf8().constData());
        std::fputs("usage: ZarvMulVideoEditor --batch JOB [--check] [--seed N] [--one-pass] [--outputs A-B]\n"
                   "       [--jobs N] [--plan] [--report FILE]\n",
                   stderr);
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
    WindowServices services{&dialogs,
                            &prober,
                            &random,
                            folders.programFolder,
                            folders.workRoot,
                            folders.dataFolder,
                            updateUrlFor(folders)};
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
