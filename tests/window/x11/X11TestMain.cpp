// Window tests on a private X server with a window manager: the server and
// openbox are started here, before the application, and the tests fail when
// either cannot be started.
#include "X11Session.h"
#include "platform/Utf8Locale.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char **argv)
{
    EnsureUtf8CharacterLocale();
    ::testing::InitGoogleTest(&argc, argv);
    X11Session session;
    QString error;
    if (!session.start(&error)) {
        std::fprintf(stderr, "FAIL: %s\n", error.toUtf8().constData());
        return 1;
    }
    qputenv("DISPLAY", session.display().toLatin1());
    qputenv("QT_QPA_PLATFORM", "xcb");
    int status = 1;
    {
        QApplication app(argc, argv);
        status = RUN_ALL_TESTS();
    }
    session.stop();
    return status;
}
