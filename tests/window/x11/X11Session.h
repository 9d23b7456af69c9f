#pragma once

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QTemporaryDir>

typedef struct _XDisplay Display;

// A private X server (Xvfb, 1024x768) with a window manager (openbox) on it,
// for window tests that need real X11 windows, focus and key and mouse
// events. start() fails, with the reason, when either cannot be started.
class X11Session {
public:
    X11Session() = default;
    ~X11Session();
    X11Session(const X11Session &) = delete;
    X11Session &operator=(const X11Session &) = delete;

    bool start(QString *error);
    void stop();
    // ":N".
    QString display() const { return m_display; }

private:
    bool startServer(QString *error);
    bool startWindowManager(QString *error);

    QTemporaryDir m_home;
    QProcess m_server;
    QProcess m_windowManager;
    QString m_display;
};

// One connection to the X server for a test's own use (each thread its own):
// real key and mouse events through XTest, and the screen's pixels.
class X11Client {
public:
    X11Client();
    ~X11Client();
    X11Client(const X11Client &) = delete;
    X11Client &operator=(const X11Client &) = delete;

    bool isOpen() const { return m_display != nullptr; }
    // A key by its X name ("Escape", "Return", "F4"), with modifiers held
    // ("Alt_L").
    void pressKey(const char *keyName, const QStringList &heldKeys = {});
    void click(QPoint screenPoint);
    // The screen's pixels in a rectangle, as the server holds them now.
    QImage grab(const QRect &screenRect);

private:
    Display *m_display = nullptr;
};
