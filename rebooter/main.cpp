// The restarter: completes an update by unpacking the archive over the
// installation and starting the program again; also the close-watch and
// relaunch services of the installation's other program.
//
// With ZARV_NO_DIALOGS=1 every message box prints its text to standard error
// as one UTF-8 line and takes its default button (and no file manager opens).
#include "app/window/BatchDialogs.h"
#include "app/window/QtDialogService.h"
#include "platform/Utf8Locale.h"
#include "rebooter/Restarter.h"

#include <QApplication>

#include <memory>

int main(int argc, char **argv)
{
    EnsureUtf8CharacterLocale();
    const bool noDialogs = qEnvironmentVariable("ZARV_NO_DIALOGS") == QStringLiteral("1");
    std::unique_ptr<QCoreApplication> app;
    std::unique_ptr<DialogService> dialogs;
    if (noDialogs) {
        app = std::make_unique<QCoreApplication>(argc, argv);
        dialogs = std::make_unique<BatchDialogs>();
    } else {
        app = std::make_unique<QApplication>(argc, argv);
        dialogs = std::make_unique<QtDialogService>();
    }
    QCoreApplication::setApplicationName(QStringLiteral("ZarvRebooter"));

    // The whole command line is one string of tab-separated fields; separate
    // arguments count as separate fields.
    const QString commandLine = QCoreApplication::arguments().mid(1).join(QLatin1Char('\t'));
    Restarter restarter(*dialogs, noDialogs ? FileManager::Skip : FileManager::Open,
                        QCoreApplication::applicationDirPath());
    return static_cast<int>(restarter.RunRestarter(commandLine));
}
