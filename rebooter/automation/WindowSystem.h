#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A window of the desktop: a Win32 HWND or an X11 window id. 0 is none.
using WindowHandle = std::int64_t;
using ProcessId = std::int64_t;

struct WindowRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

enum class StackPlace { Topmost, Bottom, NonTopmost };
enum class ShowCommand { Minimized, Maximized, Hidden, Shown, Normal };

// The calls the automation class needs from the window system. All texts are
// UTF-8. Results that stand for a system call's own result are returned as is
// (non-zero for success); 0 means the call could not be made.
class WindowSystem {
public:
    using ChildCallback = bool (*)(WindowHandle child, void *userValue);

    virtual ~WindowSystem() = default;

    // Top-level windows in the system's order.
    virtual std::vector<WindowHandle> topLevelWindows() = 0;
    // The top-level window whose title equals the text, ignoring letter case; 0 for none.
    virtual WindowHandle findTopLevelByTitle(const std::string &title) = 0;
    // Every descendant of the window, parents before their children; stops when
    // the callback returns false.
    virtual void enumerateDescendants(WindowHandle parent, ChildCallback callback, void *userValue) = 0;

    virtual std::string className(WindowHandle window) = 0;
    virtual std::string text(WindowHandle window) = 0;
    virtual bool setText(WindowHandle window, const std::string &text) = 0;
    virtual long controlId(WindowHandle window) = 0;

    virtual bool rect(WindowHandle window, WindowRect &rect) = 0;
    virtual int move(WindowHandle window, const WindowRect &rect) = 0;
    virtual int stack(WindowHandle window, StackPlace place) = 0;
    virtual int show(WindowHandle window, ShowCommand command) = 0;
    virtual int focus(WindowHandle window) = 0;

    // 0 when the owner is unknown.
    virtual ProcessId processId(WindowHandle window) = 0;
    virtual std::string processPath(ProcessId pid) = 0;
    // Live processes whose executable file name equals the name, ignoring case.
    virtual std::vector<ProcessId> processesNamed(const std::string &executableName) = 0;
    virtual std::string processCommandLine(ProcessId pid) = 0;
    virtual int terminateProcess(ProcessId pid) = 0;

    virtual int postButtonClick(WindowHandle control) = 0;
    virtual int sendClose(WindowHandle window) = 0;
    virtual int clickPoint(int x, int y, int clickTimes) = 0;

    // Handles whatever the window system has queued for this process.
    virtual void pumpEvents() = 0;
};

// The window system of this platform: Win32 on Windows, X11 elsewhere
// (null when no display can be opened).
std::unique_ptr<WindowSystem> CreateWindowSystem();
