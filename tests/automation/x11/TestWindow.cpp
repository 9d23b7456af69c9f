// A real X11 window for the automation and restarter tests: the title is the
// first argument; it has three child windows (two of class "Edit", one
// "Button"), announces its process id and takes the close message. With
// --refuse-close it stays open and prints "close refused" instead.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

namespace {

void Name(Display *display, Window window, const std::string &name, const char *className)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(name.data());
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                    bytes, static_cast<int>(name.size()));
    XChangeProperty(display, window, XA_WM_NAME, utf8, 8, PropModeReplace, bytes,
                    static_cast<int>(name.size()));
    XClassHint hint{const_cast<char *>("zarvtest"), const_cast<char *>(className)};
    XSetClassHint(display, window, &hint);
}

}  // namespace

int main(int argc, char **argv)
{
    const std::string title = argc > 1 ? argv[1] : "automation test window";
    const bool refuseClose = argc > 2 && std::strcmp(argv[2], "--refuse-close") == 0;
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(display);
    const Window window = XCreateSimpleWindow(display, root, 30, 40, 320, 240, 0, 0, 0xffffff);
    Name(display, window, title, "ZarvTestWindow");
    const long pid = getpid();
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char *>(&pid), 1);
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    const char *names[] = {"first", "second", "确定"};
    const char *classes[] = {"Edit", "Edit", "Button"};
    for (int i = 0; i < 3; ++i) {
        const Window child = XCreateSimpleWindow(display, window, 10, 10 + 30 * i, 100, 20, 0, 0, 0xeeeeee);
        Name(display, child, names[i], classes[i]);
        XMapWindow(display, child);
    }
    XMapWindow(display, window);
    XFlush(display);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
            if (!refuseClose)
                break;
            std::printf("close refused\n");
            std::fflush(stdout);
        }
    }
    XCloseDisplay(display);
    return 0;
}
