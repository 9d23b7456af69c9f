#include "app/library/MediaInfoProber.h"
#include "app/library/MediaProber.h"
#include "app/window/FFmain.h"
#include "app/window/QtDialogService.h"
#include "app/compose/SystemRandom.h"
#include "platform/AppFolders.h"
#include "platform/Utf8Locale.h"

#include <QApplication>
#include <QTextStream>

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
        const std::optional<double> seconds = prober.probeDuration(file);
        const std::optional<QSize> size = prober.probeFrameSize(file);
        if (!seconds && !size)
            status = 1;
        out << file << '\t' << (seconds ? MediaProber::durationText(*seconds) : QString()) << '\t'
            << (size ? QString::number(size->width()) : QString()) << '\t'
            << (size ? QString::number(size->height()) : QString()) << '\n';
    }
    out.flush();
    return status;
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

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZarvMulVideoEditor"));
    const AppFolders folders = AppFolders::forCurrentUser(QCoreApplication::applicationDirPath());
    QtDialogService dialogs;
    MediaInfoProber prober;
    SystemRandom random;
    WindowServices services{&dialogs, &prober, &random, folders.programFolder, folders.workRoot,
                            folders.dataFolder};
    FFmain window(services);
    dialogs.setOwner(&window);
    window.show();
    return app.exec();
}
