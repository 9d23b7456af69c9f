// Loads a folder of 500 small media files through the main window's folder
// load with the real prober and prints files per second, beside the wall
// time of the mediainfo command-line tool over the same files. A second run
// with a stand-in prober (probing on the window thread, so only the window's
// own work per row counts) shows what appending rows costs as the list grows,
// with the window shown and hidden.
// Run by hand: QT_QPA_PLATFORM=offscreen LoadFolderBench [--rows-only]

#include "FixedRandom.h"
#include "MediaFactory.h"
#include "ScriptedDialogs.h"
#include "app/library/MediaInfoProber.h"
#include "app/library/ProbeQueue.h"
#include "app/window/FFmain.h"
#include "app/window/SourceGrid.h"
#include "platform/Utf8Locale.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kMediaFiles = 500;
constexpr int kStandInFiles = 5000;
constexpr int kStandInStep = 1000;

// Answers fixed values without reading a file, on any thread as the real
// prober does, so only the window's own work per row is measured.
class StandInProber : public MediaProber {
public:
    std::optional<double> probeDuration(const QString &) override { return 12.5; }
    std::optional<QSize> probeFrameSize(const QString &) override { return QSize(640, 360); }
    ProbeThreads threads() const override { return ProbeThreads::Any; }
};

enum class Visibility { Shown, Hidden };

struct BenchWindow {
    BenchWindow(MediaProber &prober, const QString &dataFolder, Visibility visibility)
    {
        services.dialogs = &dialogs;
        services.prober = &prober;
        services.random = &random;
        services.programFolder = QCoreApplication::applicationDirPath();
        services.workRoot = dataFolder;
        services.dataFolder = dataFolder;
        window = std::make_unique<FFmain>(services);
        if (visibility == Visibility::Shown)
            window->show();
        QApplication::processEvents();
    }

    // Loads a folder into the video list; returns the wall time in ms.
    double loadVideos(const QString &folder)
    {
        MainControls &c = window->controls();
        c.CmbObject->setCurrentIndex(0);
        c.LVideo->setText(folder + QLatin1Char('/'));
        QElapsedTimer timer;
        timer.start();
        c.CmdReadFiles->click();
        return timer.nsecsElapsed() / 1e6;
    }

    ScriptedDialogs dialogs;
    FixedRandom random;
    WindowServices services;
    std::unique_ptr<FFmain> window;
};

bool makeMediaFolder(const QString &folder)
{
    const QString seeds = folder + QStringLiteral("/../seeds");
    QDir().mkpath(seeds);
    QDir().mkpath(folder);
    const QStringList sources{seeds + "/a.mp4", seeds + "/b.mkv", seeds + "/c.avi"};
    if (!MediaFactory::makeVideo(sources[0], 64, 48, 1.0) || !MediaFactory::makeVideo(sources[1], 96, 54, 1.5)
        || !MediaFactory::makeVideo(sources[2], 80, 60, 0.8))
        return false;
    for (int i = 0; i < kMediaFiles; ++i) {
        const QString &source = sources[i % sources.size()];
        const QString name = QStringLiteral("clip %1.%2").arg(i, 4, 10, QLatin1Char('0')).arg(QFileInfo(source).suffix());
        if (!QFile::copy(source, folder + QLatin1Char('/') + name))
            return false;
    }
    return true;
}

double runMillis(const QString &program, const QStringList &arguments)
{
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForFinished(600000))
        return -1;
    return timer.nsecsElapsed() / 1e6;
}

bool benchMediaFolder(const QString &scratch)
{
    const QString media = scratch + QStringLiteral("/media");
    std::printf("Making %d media files...\n", kMediaFiles);
    if (!makeMediaFolder(media)) {
        std::fprintf(stderr, "could not make the media files\n");
        return false;
    }

    // ---- the folder load with the real prober ----
    MediaInfoProber prober;
    BenchWindow real(prober, scratch + QStringLiteral("/data/"), Visibility::Shown);
    const double loadMs = real.loadVideos(media);
    const double programFilesPerSecond = kMediaFiles * 1000.0 / loadMs;
    const int rows = real.window->controls().MSFV->entryCount();
    std::printf("LoadFolder, MediaInfo library, %d probing threads: %d files -> %d rows in %.0f ms: %.1f files/s "
                "(%.2f ms per file)\n",
                ProbeQueue::workerCount(), kMediaFiles, rows, loadMs, programFilesPerSecond, loadMs / kMediaFiles);
    if (rows != kMediaFiles)
        std::fprintf(stderr, "expected %d rows\n", kMediaFiles);

    // ---- the mediainfo tool over the same files ----
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("mediainfo"));
    if (tool.isEmpty()) {
        std::printf("mediainfo: not installed\n");
    } else {
        const double oneRunMs = runMillis(tool, {media});
        const double toolFilesPerSecond = kMediaFiles * 1000.0 / oneRunMs;
        std::printf("mediainfo CLI, one run over the folder: %.0f ms: %.1f files/s\n", oneRunMs, toolFilesPerSecond);
        std::printf("program / mediainfo CLI: %.2f x\n", programFilesPerSecond / toolFilesPerSecond);
        QElapsedTimer each;
        each.start();
        for (const QString &name : QDir(media).entryList(QDir::Files))
            runMillis(tool, {QStringLiteral("--Inform=Video;%Width% %Height% %Duration%"), media + '/' + name});
        const double eachMs = each.nsecsElapsed() / 1e6;
        std::printf("mediainfo CLI, one run per file: %.0f ms: %.1f files/s\n", eachMs, kMediaFiles * 1000.0 / eachMs);
    }

    return true;
}

int benchRows(const QString &scratch)
{
    // ---- appending rows alone, as the list grows ----
    const QString empties = scratch + QStringLiteral("/empties");
    QDir().mkpath(empties);
    for (int i = 0; i < kStandInFiles; ++i) {
        QFile file(empties + QStringLiteral("/%1.mp4").arg(i, 5, 10, QLatin1Char('0')));
        if (!file.open(QIODevice::WriteOnly))
            return 1;
    }
    // Shown, every row is painted at the pump after it; hidden, only the
    // list work is left.
    for (Visibility visibility : {Visibility::Shown, Visibility::Hidden}) {
        StandInProber standIn;
        BenchWindow window(standIn, scratch + QStringLiteral("/data/"), visibility);
        // The time at every thousandth row.
        QElapsedTimer clock;
        std::vector<double> marksMs;
        QAbstractItemModel *rows = window.window->controls().MSFV->model();
        QObject::connect(rows, &QAbstractItemModel::rowsInserted, rows, [&] {
            if (rows->rowCount() % kStandInStep == 0)
                marksMs.push_back(clock.nsecsElapsed() / 1e6);
        });
        clock.start();
        const double standInMs = window.loadVideos(empties);
        std::printf("LoadFolder, stand-in prober, window %s: %d rows in %.0f ms: %.0f rows/s\n",
                    visibility == Visibility::Shown ? "shown" : "hidden", kStandInFiles, standInMs,
                    kStandInFiles * 1000.0 / standInMs);
        double previous = 0;
        for (size_t i = 0; i < marksMs.size(); ++i) {
            std::printf("  rows %5zu-%5zu: %.0f ms\n", i * kStandInStep + 1, (i + 1) * kStandInStep,
                        marksMs[i] - previous);
            previous = marksMs[i];
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    EnsureUtf8CharacterLocale();
    QApplication app(argc, argv);

    QTemporaryDir scratch;
    if (!scratch.isValid())
        return 1;
    const bool rowsOnly = app.arguments().contains(QStringLiteral("--rows-only"));
    if (!rowsOnly && !benchMediaFolder(scratch.path()))
        return 1;
    return benchRows(scratch.path());
}
