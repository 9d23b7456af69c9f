// The X11 window system (Xlib): top-level windows by their title, child
// windows with their WM_CLASS, geometry as the window manager's frame, moving
// and stacking through the window manager's hints, the owner through _NET_WM_PID, closing through
// WM_DELETE_WINDOW or _NET_CLOSE_WINDOW, and the owner's process from /proc.
#ifndef _WIN32

#include "rebooter/automation/WindowSystem.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

namespace {

// Windows vanish between calls; a failed request must not end the program.
int ignoreErrors(Display *, XErrorEvent *)
{
    return 0;
}

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return text;
}

std::string readLink(const std::string &path)
{
    std::error_code error;
    return std::filesystem::read_symlink(path, error).string();
}

class X11WindowSystem final : public WindowSystem {
public:
    explicit X11WindowSystem(Display *display) : display_(display), root_(DefaultRootWindow(display))
    {
        XSetErrorHandler(&ignoreErrors);
    }
    ~X11WindowSystem() override { XCloseDisplay(display_); }

    std::vector<WindowHandle> topLevelWindows() override
    {
        std::vector<WindowHandle> windows;
        // A window manager lists its clients; without one the top-level windows
        // are the root's children.
        const std::vector<unsigned long> clients = cardinals(root_, atom("_NET_CLIENT_LIST"), XA_WINDOW);
        if (!clients.empty()) {
            windows.assign(clients.begin(), clients.end());
            return windows;
        }
        for (Window child : children(root_))
            windows.push_back(static_cast<WindowHandle>(child));
        return windows;
    }

    WindowHandle findTopLevelByTitle(const std::string &title) override
    {
        const std::string wanted = lower(title);
        for (WindowHandle window : topLevelWindows()) {
            if (lower(text(window)) == wanted)
                return window;
        }
        return 0;
    }

    void enumerateDescendants(WindowHandle parent, ChildCallback callback, void *userValue) override
    {
        walk(static_cast<Window>(parent), callback, userValue);
    }

    std::string className(WindowHandle window) override
    {
        XClassHint hint{};
        if (!XGetClassHint(display_, static_cast<Window>(window), &hint))
            return {};
        std::string name = hint.res_class ? hint.res_class : "";
        XFree(hint.res_name);
        XFree(hint.res_class);
        return name;
    }

    std::string text(WindowHandle window) override
    {
        std::string title = property(static_cast<Window>(window), atom("_NET_WM_NAME"), atom("UTF8_STRING"));
        if (!title.empty())
            return title;
        XTextProperty property{};
        if (!XGetWMName(display_, static_cast<Window>(window), &property) || !property.value)
            return {};
        char **list = nullptr;
        int count = 0;
        if (Xutf8TextPropertyToTextList(display_, &property, &list, &count) >= Success && list && count > 0)
            title = list[0];
        if (list)
            XFreeStringList(list);
        XFree(property.value);
        return title;
    }

    bool setText(WindowHandle window, const std::string &text) override
    {
        const auto target = static_cast<Window>(window);
        const auto *bytes = reinterpret_cast<const unsigned char *>(text.data());
        XChangeProperty(display_, target, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8, PropModeReplace,
                        bytes, static_cast<int>(text.size()));
        XChangeProperty(display_, target, XA_WM_NAME, atom("UTF8_STRING"), 8, PropModeReplace, bytes,
                        static_cast<int>(text.size()));
        XSync(display_, False);
        return true;
    }

    // X11 windows carry no control identifier.
    long controlId(WindowHandle) override { return 0; }

    // A top-level window's rectangle is the frame the user sees: under a
    // window manager its frame window, title bar and borders included.
    bool rect(WindowHandle window, WindowRect &rect) override
    {
        const auto target = static_cast<Window>(window);
        const Window outer = frameOf(target);
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display_, outer, &attributes))
            return false;
        int x = 0, y = 0;
        Window child = 0;
        if (!XTranslateCoordinates(display_, outer, root_, 0, 0, &x, &y, &child))
            return false;
        const int border = attributes.border_width;
        rect = {x - border, y - border, attributes.width + 2 * border, attributes.height + 2 * border};
        return true;
    }

    // The rectangle is the frame's; the client gets what is left of it. A window
    // manager moves and sizes its clients itself, so it is asked to place the
    // frame's corner, and the call waits (bounded) until the frame is there.
    int move(WindowHandle window, const WindowRect &rect) override
    {
        const auto target = static_cast<Window>(window);
        WindowRect frame;
        XWindowAttributes client;
        if (!this->rect(window, frame) || !XGetWindowAttributes(display_, target, &client))
            return 0;
        int clientX = 0, clientY = 0;
        Window child = 0;
        XTranslateCoordinates(display_, target, root_, 0, 0, &clientX, &clientY, &child);
        const int left = clientX - frame.left, top = clientY - frame.top;
        const int right = frame.width - client.width - left, bottom = frame.height - client.height - top;
        const int width = rect.width - left - right, height = rect.height - top - bottom;
        if (width < 1 || height < 1)
            return 0;
        if (frameOf(target) != target && windowManagerRunning()) {
            constexpr long EveryValue = 0xf << 8, FromPager = 2L << 12;
            sendToRoot(target, atom("_NET_MOVERESIZE_WINDOW"),
                       {NorthWestGravity | EveryValue | FromPager, long{rect.left}, long{rect.top},
                        long{width}, long{height}});
        } else {
            int x = rect.left, y = rect.top;
            const Window parent = parentOf(target);
            if (parent != 0 && parent != root_)
                XTranslateCoordinates(display_, root_, parent, rect.left, rect.top, &x, &y, &child);
            XMoveResizeWindow(display_, target, x, y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height));
            XSync(display_, False);
        }
        for (int pass = 0; pass < 100; ++pass) {
            WindowRect now;
            if (this->rect(window, now) && now.left == rect.left && now.top == rect.top
                && now.width == rect.width && now.height == rect.height)
                break;
            usleep(20000);
        }
        return 1;
    }

    int stack(WindowHandle window, StackPlace place) override
    {
        const auto target = static_cast<Window>(window);
        constexpr long Remove = 0, Add = 1;
        setState(target, place == StackPlace::Topmost ? Add : Remove, atom("_NET_WM_STATE_ABOVE"), 0);
        if (place == StackPlace::Topmost)
            XRaiseWindow(display_, target);
        else if (place == StackPlace::Bottom)
            XLowerWindow(display_, target);
        XSync(display_, False);
        return 1;
    }

    int show(WindowHandle window, ShowCommand command) override
    {
        const auto target = static_cast<Window>(window);
        const Atom vertical = atom("_NET_WM_STATE_MAXIMIZED_VERT");
        const Atom horizontal = atom("_NET_WM_STATE_MAXIMIZED_HORZ");
        int result = 1;
        switch (command) {
        case ShowCommand::Minimized:
            result = XIconifyWindow(display_, target, DefaultScreen(display_));
            break;
        case ShowCommand::Maximized:
            XMapWindow(display_, target);
            setState(target, 1, vertical, horizontal);
            break;
        case ShowCommand::Hidden:
            result = XWithdrawWindow(display_, target, DefaultScreen(display_));
            break;
        case ShowCommand::Shown:
            XMapWindow(display_, target);
            break;
        case ShowCommand::Normal:
            setState(target, 0, vertical, horizontal);
            XMapRaised(display_, target);
            break;
        }
        XSync(display_, False);
        return result;
    }

    int focus(WindowHandle window) override
    {
        const auto target = static_cast<Window>(window);
        XMapRaised(display_, target);
        if (windowManagerRunning()) {
            constexpr long SourcePager = 2;
            sendToRoot(target, atom("_NET_ACTIVE_WINDOW"), {SourcePager, CurrentTime, 0});
        } else {
            XSync(display_, False);
            XSetInputFocus(display_, target, RevertToParent, CurrentTime);
        }
        XSync(display_, False);
        return 1;
    }

    ProcessId processId(WindowHandle window) override
    {
        const auto pids = cardinals(static_cast<Window>(window), atom("_NET_WM_PID"), XA_CARDINAL);
        return pids.empty() ? 0 : static_cast<ProcessId>(pids.front());
    }

    std::string processPath(ProcessId pid) override
    {
        return pid > 0 ? readLink("/proc/" + std::to_string(pid) + "/exe") : std::string();
    }

    std::vector<ProcessId> processesNamed(const std::string &executableName) override
    {
        std::vector<ProcessId> pids;
        const std::string wanted = lower(executableName);
        std::error_code error;
        for (const auto &entry : std::filesystem::directory_iterator("/proc", error)) {
            const std::string name = entry.path().filename().string();
            if (name.empty() || !std::all_of(name.begin(), name.end(), ::isdigit))
                continue;
            const std::string path = readLink(entry.path().string() + "/exe");
            if (!path.empty() && lower(std::filesystem::path(path).filename().string()) == wanted)
                pids.push_back(std::stoll(name));
        }
        return pids;
    }

    std::string processCommandLine(ProcessId pid) override
    {
        std::ifstream file("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
        std::string line((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        while (!line.empty() && line.back() == '\0')
            line.pop_back();
        std::replace(line.begin(), line.end(), '\0', ' ');
        return line;
    }

    int terminateProcess(ProcessId pid) override
    {
        return pid > 0 && ::kill(static_cast<pid_t>(pid), SIGKILL) == 0 ? 1 : 0;
    }

    // The controls inside a toolkit's window are drawn by the toolkit, not X11
    // windows that take a click message: nothing can be posted, so "none".
    int postButtonClick(WindowHandle) override { return 0; }

    int sendClose(WindowHandle window) override
    {
        const auto target = static_cast<Window>(window);
        const Atom deleteWindow = atom("WM_DELETE_WINDOW");
        Atom *protocols = nullptr;
        int count = 0;
        bool understandsDelete = false;
        if (XGetWMProtocols(display_, target, &protocols, &count)) {
            understandsDelete = std::find(protocols, protocols + count, deleteWindow) != protocols + count;
            XFree(protocols);
        }
        if (understandsDelete) {
            XEvent event{};
            event.xclient.type = ClientMessage;
            event.xclient.window = target;
            event.xclient.message_type = atom("WM_PROTOCOLS");
            event.xclient.format = 32;
            event.xclient.data.l[0] = static_cast<long>(deleteWindow);
            event.xclient.data.l[1] = CurrentTime;
            const int sent = XSendEvent(display_, target, False, NoEventMask, &event);
            XSync(display_, False);
            return sent ? 1 : 0;
        }
        if (!windowManagerRunning())
            return 0;
        constexpr long SourcePager = 2;
        return sendToRoot(target, atom("_NET_CLOSE_WINDOW"), {CurrentTime, SourcePager, 0});
    }

    int clickPoint(int x, int y, int clickTimes) override
    {
        int eventBase = 0, errorBase = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(display_, &eventBase, &errorBase, &major, &minor))
            return 0;
        XWarpPointer(display_, None, root_, 0, 0, 0, 0, x, y);
        for (int click = 0; click < clickTimes; ++click) {
            XTestFakeButtonEvent(display_, Button1, True, CurrentTime);
            XTestFakeButtonEvent(display_, Button1, False, CurrentTime);
        }
        XSync(display_, False);
        return 1;
    }

    void pumpEvents() override
    {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
        }
    }

private:
    Atom atom(const char *name) { return XInternAtom(display_, name, False); }

    std::vector<Window> children(Window parent)
    {
        Window rootReturn = 0, parentReturn = 0;
        Window *list = nullptr;
        unsigned count = 0;
        std::vector<Window> result;
        if (XQueryTree(display_, parent, &rootReturn, &parentReturn, &list, &count) && list) {
            result.assign(list, list + count);
            XFree(list);
        }
        return result;
    }

    Window parentOf(Window window)
    {
        Window rootReturn = 0, parent = 0;
        Window *list = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display_, window, &rootReturn, &parent, &list, &count))
            return 0;
        if (list)
            XFree(list);
        return parent;
    }

    // The window manager's frame around a client (the client's ancestor just
    // below the root); a window of the root, or a control inside a window, is
    // its own frame.
    Window frameOf(Window window)
    {
        if (parentOf(window) == root_ || !hasProperty(window, atom("WM_STATE")))
            return window;
        Window current = window;
        for (int depth = 0; depth < 32; ++depth) {
            const Window parent = parentOf(current);
            if (parent == 0)
                return window;
            if (parent == root_)
                return current;
            current = parent;
        }
        return window;
    }

    bool hasProperty(Window window, Atom name)
    {
        Atom actualType = 0;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char *data = nullptr;
        const bool found = XGetWindowProperty(display_, window, name, 0, 1, False, AnyPropertyType,
                                              &actualType, &format, &count, &remaining, &data)
                               == Success
                           && actualType != None;
        if (data)
            XFree(data);
        return found;
    }

    bool walk(Window parent, ChildCallback callback, void *userValue)
    {
        for (Window child : children(parent)) {
            if (!callback(static_cast<WindowHandle>(child), userValue) || !walk(child, callback, userValue))
                return false;
        }
        return true;
    }

    std::string property(Window window, Atom name, Atom type)
    {
        Atom actualType = 0;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char *data = nullptr;
        std::string value;
        if (XGetWindowProperty(display_, window, name, 0, 1 << 16, False, type, &actualType, &format, &count,
                               &remaining, &data)
                == Success
            && data) {
            if (actualType == type && format == 8)
                value.assign(reinterpret_cast<char *>(data), count);
            XFree(data);
        }
        return value;
    }

    std::vector<unsigned long> cardinals(Window window, Atom name, Atom type)
    {
        Atom actualType = 0;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char *data = nullptr;
        std::vector<unsigned long> values;
        if (XGetWindowProperty(display_, window, name, 0, 1 << 16, False, type, &actualType, &format, &count,
                               &remaining, &data)
                == Success
            && data) {
            // Xlib hands 32-bit items back as longs.
            if (actualType == type && format == 32) {
                const auto *items = reinterpret_cast<const unsigned long *>(data);
                values.assign(items, items + count);
            }
            XFree(data);
        }
        return values;
    }

    bool windowManagerRunning()
    {
        return !cardinals(root_, atom("_NET_SUPPORTING_WM_CHECK"), XA_WINDOW).empty();
    }

    int sendToRoot(Window window, Atom message, std::initializer_list<long> data)
    {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = message;
        event.xclient.format = 32;
        int at = 0;
        for (long item : data)
            event.xclient.data.l[at++] = item;
        const int sent =
            XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
        XSync(display_, False);
        return sent ? 1 : 0;
    }

    void setState(Window window, long action, Atom first, Atom second)
    {
        constexpr long SourcePager = 2;
        sendToRoot(window, atom("_NET_WM_STATE"),
                   {action, static_cast<long>(first), static_cast<long>(second), SourcePager});
    }

    Display *display_;
    Window root_;
};

}  // namespace

std::unique_ptr<WindowSystem> CreateWindowSystem()
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    return std::make_unique<X11WindowSystem>(display);
}

#endif
