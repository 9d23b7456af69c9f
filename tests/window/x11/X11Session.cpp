#include "X11Session.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cstring>

namespace {

// Whether a window manager announces itself on the display's root window.
bool WindowManagerRuns(Display *display)
{
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long left = 0;
    unsigned char *data = nullptr;
    const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW,
                                          &type, &format, &items, &left, &data);
    const bool found = status == Success && type == XA_WINDOW && items == 1;
    if (data)
        XFree(data);
    return found;
}

}  // namespace

X11Session::~X11Session()
{
    stop();
}

bool X11Session::start(QString *error)
{
    if (!m_home.isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    return startServer(error) && startWindowManager(error);
}

bool X11Session::startServer(QString *error)
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) {
        *error = QStringLiteral("Xvfb is not installed (Debian package xvfb)");
        return false;
    }
    // A display number nobody holds; another test may take it first, so the
    // next is tried when the server ends at once.
    for (int number = 140 + int(QCoreApplication::applicationPid() % 50); number < 400; ++number) {
        if (QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(number))
            || QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)))
            continue;
        const QString display = QStringLiteral(":%1").arg(number);
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.setStandardOutputFile(QProcess::nullDevice());
        m_server.start(xvfb, {display, QStringLiteral("-screen"), QStringLiteral("0"),
                              QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                              QStringLiteral("tcp"), QStringLiteral("-noreset")});
        if (!m_server.waitForStarted(5000)) {
            *error = QStringLiteral("Xvfb did not start: ") + m_server.errorString();
            return false;
        }
        QElapsedTimer waited;
        waited.start();
        const QByteArray name = display.toLatin1();
        while (m_server.state() == QProcess::Running && waited.elapsed() < 15000) {
            if (Display *connection = XOpenDisplay(name.constData())) {
                XCloseDisplay(connection);
                m_display = display;
                return true;
            }
            QThread::msleep(50);
        }
        if (m_server.state() == QProcess::Running) {
            *error = QStringLiteral("Xvfb took no connection on ") + display;
            return false;
        }
        m_server.waitForFinished(1000);
    }
    *error = QStringLiteral("Xvfb found no free display");
    return false;
}

bool X11Session::startWindowManager(QString *error)
{
    const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
    if (openbox.isEmpty()) {
        *error = QStringLiteral("openbox is not installed (Debian package openbox)");
        return false;
    }
    // Its own settings folders: the system's defaults, not the user's.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    environment.insert(QStringLiteral("HOME"), m_home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), m_home.filePath(QStringLiteral("cache")));
    m_windowManager.setProcessEnvironment(environment);
    m_windowManager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_windowManager.setStandardOutputFile(QProcess::nullDevice());
    m_windowManager.start(openbox, {QStringLiteral("--sm-disable")});
    if (!m_windowManager.waitForStarted(5000)) {
        *error = QStringLiteral("openbox did not start: ") + m_windowManager.errorString();
        return false;
    }
    const QByteArray name = m_display.toLatin1();
    Display *connection = XOpenDisplay(name.constData());
    if (!connection) {
        *error = QStringLiteral("no connection to ") + m_display;
        return false;
    }
    QElapsedTimer waited;
    waited.start();
    bool runs = false;
    while (!runs && m_windowManager.state() == QProcess::Running && waited.elapsed() < 15000) {
        runs = WindowManagerRuns(connection);
        if (!runs)
            QThread::msleep(50);
    }
    XCloseDisplay(connection);
    if (!runs)
        *error = QStringLiteral("openbox did not take over the display ") + m_display;
    return runs;
}

void X11Session::stop()
{
    for (QProcess *process : {&m_windowManager, &m_server}) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished(2000);
        }
    }
}

X11Client::X11Client() : m_display(XOpenDisplay(nullptr))
{
}

X11Client::~X11Client()
{
    if (m_display)
        XCloseDisplay(m_display);
}

void X11Client::pressKey(const char *keyName, const QStringList &heldKeys)
{
    if (!m_display)
        return;
    QList<KeyCode> held;
    for (const QString &name : heldKeys) {
        const KeyCode code = XKeysymToKeycode(m_display, XStringToKeysym(name.toLatin1().constData()));
        held.append(code);
        XTestFakeKeyEvent(m_display, code, True, CurrentTime);
    }
    const KeyCode code = XKeysymToKeycode(m_display, XStringToKeysym(keyName));
    XTestFakeKeyEvent(m_display, code, True, CurrentTime);
    XTestFakeKeyEvent(m_display, code, False, CurrentTime);
    for (auto it = held.crbegin(); it != held.crend(); ++it)
        XTestFakeKeyEvent(m_display, *it, False, CurrentTime);
    XSync(m_display, False);
}

void X11Client::click(QPoint screenPoint)
{
    if (!m_display)
        return;
    XTestFakeMotionEvent(m_display, -1, screenPoint.x(), screenPoint.y(), CurrentTime);
    XTestFakeButtonEvent(m_display, 1, True, CurrentTime);
    XTestFakeButtonEvent(m_display, 1, False, CurrentTime);
    XSync(m_display, False);
}

QImage X11Client::grab(const QRect &screenRect)
{
    if (!m_display || screenRect.isEmpty())
        return {};
    XSync(m_display, False);
    XImage *image =
        XGetImage(m_display, DefaultRootWindow(m_display), screenRect.x(), screenRect.y(),
                  unsigned(screenRect.width()), unsigned(screenRect.height()), AllPlanes, ZPixmap);
    if (!image)
        return {};
    QImage result(screenRect.size(), QImage::Format_RGB32);
    for (int y = 0; y < screenRect.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < screenRect.width(); ++x)
            line[x] = QRgb(XGetPixel(image, x, y)) | 0xff000000u;
    }
    XDestroyImage(image);
    return result;
}
