// The restarter: completes an update by unpacking the archive over the
// installation and starting the program again; also the close-watch and
// relaunch services of the installation's other program.
//
// With ZARV_NO_DIALOGS=1, and whenever there is no display to show a box on
// (a restarter started by a batch job), every message box prints its text to
// standard error as one UTF-8 line and takes its default button (and no file
// manager opens).
//
// For tests only: ZARV_RESTARTER_WAIT_FACTOR (a number between 0 and 1)
// shortens the fixed waits and the watch of the restarted program by that
// factor; 0.05 turns the 12 seconds after unpacking into 0.6.
#include "app/window/BatchDialogs.h"
#include "app/window/QtDialogService.h"
#include "platform/Utf8Locale.h"
#include "rebooter/Restarter.h"

#include <QApplication>
#include <QMessageBox>

#include <memory>

namespace {

bool hasDisplay()
{
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return true;
#else
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return false;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#endif
}

// The boxes open in front of the restarted program's window, which appears
// just before the success box.
class BoxesInFront : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *box = qobject_cast<QMessageBox *>(watched);
        if (box && event->type() == QEvent::Polish)
            box->setWindowFlag(Qt::WindowStaysOnTopHint);
        if (box && event->type() == QEvent::Show) {
            box->raise();
            box->activateWindow();
        }
        return false;
    }
};

}  // namespace

int main(int argc, char **argv)
{
    EnsureUtf8CharacterLocale();
    const bool noDialogs = qEnvironmentVariable("ZARV_NO_DIALOGS") == QStringLiteral("1") || !hasDisplay();
    std::unique_ptr<QCoreApplication> app;
    std::unique_ptr<DialogService> dialogs;
    if (noDialogs) {
        app = std::make_unique<QCoreApplication>(argc, argv);
        dialogs = std::make_unique<BatchDialogs>();
    } else {
        app = std::make_unique<QApplication>(argc, argv);
        app->installEventFilter(new BoxesInFront(app.get()));
        dialogs = std::make_unique<QtDialogService>();
    }
    QCoreApplication::setApplicationName(QStringLiteral("ZarvRebooter"));

    bool factorRead = false;
    const double waitFactor = qEnvironmentVariable("ZARV_RESTARTER_WAIT_FACTOR").toDouble(&factorRead);

    // The whole command line is one string of tab-separated fields; separate
    // arguments count as separate fields.
    const QString commandLine = QCoreApplication::arguments().mid(1).join(QLatin1Char('\t'));
    Restarter restarter(*dialogs, noDialogs ? FileManager::Skip : FileManager::Open,
                        QCoreApplication::applicationDirPath(), factorRead ? waitFactor : 1);
    return static_cast<int>(restarter.RunRestarter(commandLine));
}
