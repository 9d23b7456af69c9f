// The restarter that completes an update. Its update and service modes come
// with the self-update work; for now it only starts and ends cleanly.
#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ZarvRebooter"));
    return 0;
}
