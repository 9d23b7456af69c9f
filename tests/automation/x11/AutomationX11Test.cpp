// The automation class against real X11 windows on the display the test runner
// started (see run-under-xvfb.sh).
#include "rebooter/automation/clsWindow.h"
#include "rebooter/automation/modWindow.h"

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

// One test window program, ended when the test is over.
class TestWindowProcess {
public:
    explicit TestWindowProcess(const std::string &title)
    {
        const char *program = ZARV_X11_TEST_WINDOW;
        char *argv[] = {const_cast<char *>(program), const_cast<char *>(title.c_str()), nullptr};
        if (posix_spawn(&pid_, program, nullptr, nullptr, argv, environ) != 0)
            pid_ = 0;
    }
    ~TestWindowProcess()
    {
        if (pid_ > 0 && !ended_) {
            ::kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    pid_t pid() const { return pid_; }
    // True when the program ends within ten seconds.
    bool waitForEnd()
    {
        for (int pass = 0; pass < 200 && !ended_; ++pass) {
            ended_ = waitpid(pid_, nullptr, WNOHANG) == pid_;
            if (!ended_)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return ended_;
    }

private:
    pid_t pid_ = 0;
    bool ended_ = false;
};

class AutomationX11 : public testing::Test {
protected:
    void SetUp() override
    {
        system = CreateWindowSystem();
        ASSERT_NE(system, nullptr) << "no X display: run this test through run-under-xvfb.sh";
        window = std::make_unique<clsWindow>(*system);
    }

    std::unique_ptr<WindowSystem> system;
    std::unique_ptr<clsWindow> window;
};

TEST_F(AutomationX11, FindsWindowByExactTitleAndByPartWithAndWithoutProcess)
{
    const std::string title = "Zarv 自动化 Alpha 窗口";
    TestWindowProcess program(title);
    ASSERT_GT(program.pid(), 0);
    const WindowHandle found = window->GetWindowHwndByTitle(title, 20);
    ASSERT_NE(found, 0);
    EXPECT_EQ(window->Caption(), title);
    EXPECT_EQ(window->GetWindowHwndByTitle("zarv 自动化 alpha 窗口", 0), found);
    EXPECT_EQ(window->GetWindowHwndByTitleEx("alpha 窗", 0), found);
    EXPECT_EQ(window->GetWindowHwndByTitleEx("alpha 窗", 0, program.pid()), found);
    EXPECT_EQ(window->GetWindowHwndByTitleEx("alpha 窗", 0, program.pid() + 100000), 0);
    EXPECT_EQ(window->GetWindowHwndByTitleEx("alpha 窗", 0, {}, found), 0);

    window->MainHwnd = found;
    EXPECT_EQ(window->ProcessID(), program.pid());
    EXPECT_EQ(window->AppName(), "automation_x11_window");
    EXPECT_NE(window->AppCommandLine().find("automation_x11_window " + title + "\r\n"), std::string::npos);
}

// Where the client window's inside really is on the screen, and the frame
// the window manager says it drew around it (none without one).
struct ClientPlace {
    int x = 0, y = 0;
    long frameLeft = 0, frameTop = 0;
};

ClientPlace clientPlace(WindowHandle window)
{
    ClientPlace place;
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return place;
    Window child = 0;
    XTranslateCoordinates(display, static_cast<Window>(window), DefaultRootWindow(display), 0, 0, &place.x,
                          &place.y, &child);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(display, static_cast<Window>(window),
                           XInternAtom(display, "_NET_FRAME_EXTENTS", False), 0, 4, False, XA_CARDINAL, &type,
                           &format, &count, &remaining, &data)
            == Success
        && data && count == 4) {
        const auto *extents = reinterpret_cast<const unsigned long *>(data);
        place.frameLeft = static_cast<long>(extents[0]);
        place.frameTop = static_cast<long>(extents[2]);
    }
    if (data)
        XFree(data);
    XCloseDisplay(display);
    return place;
}

TEST_F(AutomationX11, MovesAndResizesTheFrameAndSingleValuesChangeOnlyThemselves)
{
    TestWindowProcess program("Zarv geometry");
    const WindowHandle found = window->GetWindowHwndByTitle("Zarv geometry", 20);
    ASSERT_NE(found, 0);
    EXPECT_NE(window->Move(100, 120, 300, 200), 0);
    EXPECT_EQ(window->Left(), 100);
    EXPECT_EQ(window->Top(), 120);
    EXPECT_EQ(window->Width(), 300);
    EXPECT_EQ(window->Height(), 200);
    // The rectangle is the frame: the client's inside sits within it by the
    // frame's own borders.
    const ClientPlace place = clientPlace(found);
    EXPECT_EQ(place.x, 100 + place.frameLeft);
    EXPECT_EQ(place.y, 120 + place.frameTop);

    struct Step {
        const char *what;
        int (clsWindow::*set)(int);
        int value;
        WindowRect expected;
    };
    const Step steps[] = {
        {"height", &clsWindow::Height, 250, {100, 120, 300, 250}},
        {"width", &clsWindow::Width, 340, {100, 120, 340, 250}},
        {"left", &clsWindow::Left, 150, {150, 120, 340, 250}},
        {"top", &clsWindow::Top, 90, {150, 90, 340, 250}},
        {"height again", &clsWindow::Height, 260, {150, 90, 340, 260}},
    };
    for (const Step &step : steps) {
        EXPECT_NE((window.get()->*step.set)(step.value), 0) << step.what;
        EXPECT_EQ(window->Left(), step.expected.left) << step.what;
        EXPECT_EQ(window->Top(), step.expected.top) << step.what;
        EXPECT_EQ(window->Width(), step.expected.width) << step.what;
        EXPECT_EQ(window->Height(), step.expected.height) << step.what;
    }
    // Stacking and showing keep the window where it is.
    EXPECT_NE(window->SetPosFront(), 0);
    EXPECT_NE(window->SetPosNormal(), 0);
    EXPECT_EQ(window->Left(), 150);
    EXPECT_EQ(window->Top(), 90);
}

TEST_F(AutomationX11, ListsChildWindowsAndFindsThemByClassAndText)
{
    TestWindowProcess program("Zarv children");
    const WindowHandle main = window->GetWindowHwndByTitle("Zarv children", 20);
    ASSERT_NE(main, 0);
    const auto lines = ControlListing::Parse(modWindow::ControlsInfo(*system, main));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].handle, main);
    EXPECT_EQ(lines[0].className, "ZarvTestWindow");
    EXPECT_EQ(lines[1].className, "Edit");
    EXPECT_EQ(lines[2].text, "second");
    EXPECT_EQ(lines[3].text, "确定");

    EXPECT_EQ(window->GetElementHwndByClassName("Edit", 2), lines[2].handle);
    EXPECT_EQ(window->GetElementTextByClassName("edit", 1), "first");
    EXPECT_EQ(window->GetElementHwndByText("确定", 1), lines[3].handle);
    EXPECT_TRUE(window->SetElementTextByClassName("Button", "好 的", 1));
    EXPECT_EQ(window->GetElementTextByClassName("Button", 1), "好 的");
    // A toolkit's controls take no click message under X11.
    EXPECT_EQ(window->ClickElementByClassName("Button", 1), 0);
    // A window without children: one line, identifier 0.
    EXPECT_EQ(modWindow::ControlsInfo(*system, lines[1].handle),
              ControlListing::Line(lines[1].handle, 0, "Edit", "first"));
}

TEST_F(AutomationX11, DebugMeTracesCallsAndWritesTheListing)
{
    TestWindowProcess program("Zarv traced");
    const auto folder = std::filesystem::temp_directory_path() / ("zarv-trace-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    window->DebugMe = true;
    const WindowHandle main = window->GetWindowHwndByTitle("Zarv traced", 20);
    const WindowHandle second = window->GetElementHwndByClassName("Edit", 2);
    window->DebugMe = false;
    std::filesystem::current_path(previous);
    const auto read = [&](const char *name) {
        std::ifstream in(folder / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string trace = read("DEBUG.txt");
    const std::string controls = read("controls.txt");
    std::filesystem::remove_all(folder);
    ASSERT_NE(main, 0);
    EXPECT_NE(second, 0);
    EXPECT_NE(trace.find(
                  " 函数GetWindowHwndByTitle被调用\r\n参数为 strTitle：Zarv traced\t intWaitSeconds：20\r\n"),
              std::string::npos);
    EXPECT_NE(trace.find(" 函数GetElementHwndByClassName中调用函数getMatchHwndFromWindow\r\n"),
              std::string::npos);
    EXPECT_NE(trace.find("参数为 Pattern：^(\\d+)\\s+\\d+\\sEdit\\s.*?$\t intIndex：2\r\n"),
              std::string::npos);
    EXPECT_NE(trace.find("匹配数量为：2\r\n"), std::string::npos);
    EXPECT_EQ(controls, modWindow::ControlsInfo(*system, main) + "\r\n");
}

TEST_F(AutomationX11, CloseWindowEndsTheProgramAndCloseAppEndsItsProcess)
{
    TestWindowProcess closing("Zarv closing");
    ASSERT_NE(window->GetWindowHwndByTitle("Zarv closing", 20), 0);
    EXPECT_NE(window->CloseWindow(), 0);
    EXPECT_TRUE(closing.waitForEnd());
    EXPECT_EQ(window->GetWindowHwndByTitle("Zarv closing", 1), 0);

    TestWindowProcess killed("Zarv killed");
    ASSERT_NE(window->GetWindowHwndByTitle("Zarv killed", 20), 0);
    EXPECT_NE(window->CloseApp(), 0);
    EXPECT_TRUE(killed.waitForEnd());
}

}  // namespace
