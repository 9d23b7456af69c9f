// The automation class against a real Win32 window (run under Wine). Prints one
// line per failed check and exits with the number of failures.
#include "rebooter/automation/clsWindow.h"
#include "rebooter/automation/modWindow.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

int failures = 0;

#define CHECK(condition)                                                                                     \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            ++failures;                                                                                      \
            std::printf("FAIL line %d: %s\n", __LINE__, #condition);                                         \
        }                                                                                                    \
    } while (0)

// Counts the exact-title searches so a test can see how many tries were made.
class CountingSystem : public WindowSystem {
public:
    explicit CountingSystem(WindowSystem &inner) : inner_(inner) {}
    int titleSearches = 0;

    std::vector<WindowHandle> topLevelWindows() override { return inner_.topLevelWindows(); }
    WindowHandle findTopLevelByTitle(const std::string &title) override
    {
        ++titleSearches;
        return inner_.findTopLevelByTitle(title);
    }
    void enumerateDescendants(WindowHandle p, ChildCallback c, void *u) override
    {
        inner_.enumerateDescendants(p, c, u);
    }
    std::string className(WindowHandle w) override { return inner_.className(w); }
    std::string text(WindowHandle w) override { return inner_.text(w); }
    bool setText(WindowHandle w, const std::string &t) override { return inner_.setText(w, t); }
    long controlId(WindowHandle w) override { return inner_.controlId(w); }
    bool rect(WindowHandle w, WindowRect &r) override { return inner_.rect(w, r); }
    int move(WindowHandle w, const WindowRect &r) override { return inner_.move(w, r); }
    int stack(WindowHandle w, StackPlace p) override { return inner_.stack(w, p); }
    int show(WindowHandle w, ShowCommand c) override { return inner_.show(w, c); }
    int focus(WindowHandle w) override { return inner_.focus(w); }
    ProcessId processId(WindowHandle w) override { return inner_.processId(w); }
    std::string processPath(ProcessId p) override { return inner_.processPath(p); }
    std::vector<ProcessId> processesNamed(const std::string &n) override { return inner_.processesNamed(n); }
    std::string processCommandLine(ProcessId p) override { return inner_.processCommandLine(p); }
    int terminateProcess(ProcessId p) override { return inner_.terminateProcess(p); }
    int postButtonClick(WindowHandle w) override { return inner_.postButtonClick(w); }
    int sendClose(WindowHandle w) override { return inner_.sendClose(w); }
    int clickPoint(int x, int y, int n) override { return inner_.clickPoint(x, y, n); }
    void pumpEvents() override { inner_.pumpEvents(); }

private:
    WindowSystem &inner_;
};

PROCESS_INFORMATION startTestWindow(const std::wstring &title)
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program(path);
    program = program.substr(0, program.find_last_of(L'\\') + 1) + L"automation_test_window.exe";
    std::wstring quoted;
    for (wchar_t c : title)
        quoted += c == L'"' ? std::wstring(L"\\\"") : std::wstring(1, c);
    std::wstring commandLine = L"\"" + program + L"\" \"" + quoted + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::printf("FAIL: cannot start the test window (%lu)\n", GetLastError());
        std::exit(100);
    }
    return process;
}

WindowHandle itemOf(WindowHandle window, int id)
{
    return reinterpret_cast<INT_PTR>(GetDlgItem(reinterpret_cast<HWND>(static_cast<INT_PTR>(window)), id));
}

bool hasEnded(const PROCESS_INFORMATION &process)
{
    return WaitForSingleObject(process.hProcess, 15000) == WAIT_OBJECT_0;
}

}  // namespace

int main()
{
    auto system = CreateWindowSystem();
    CountingSystem counting(*system);
    clsWindow window(counting);
    const std::string title = "Zarv 自动化 测试窗 \"1\"";
    const std::wstring wideTitle = L"Zarv 自动化 测试窗 \"1\"";

    // Not there: 0 seconds tries once, 1 second twice.
    CHECK(window.GetWindowHwndByTitle("no window has this title", 0) == 0);
    CHECK(counting.titleSearches == 1);
    counting.titleSearches = 0;
    CHECK(window.GetWindowHwndByTitle("no window has this title", 1) == 0);
    CHECK(counting.titleSearches == 2);

    PROCESS_INFORMATION process = startTestWindow(wideTitle);
    const WindowHandle main = window.GetWindowHwndByTitle(title, 30);
    CHECK(main != 0);
    if (main == 0)
        return failures;
    CHECK(window.MainHwnd == main);
    CHECK(window.Caption() == title);
    CHECK(window.GetWindowHwndByTitle("zarv 自动化 测试窗 \"1\"", 0) == main);  // letter case ignored
    CHECK(window.GetWindowHwndByTitleEx("自动化 测试", 0) == main);
    CHECK(window.GetWindowHwndByTitleEx("自动化 测试", 0, static_cast<ProcessId>(process.dwProcessId))
          == main);
    CHECK(window.GetWindowHwndByTitleEx("自动化 测试", 0, static_cast<ProcessId>(process.dwProcessId) + 1)
          == 0);
    window.MainHwnd = main;

    // Lookups: listing order, text endings with pattern characters, indexes past the end.
    CHECK(window.GetElementHwndByClassName("Edit", 2) == itemOf(main, 102));
    CHECK(window.GetElementHwndByClassName("Edit", 4) == 0);
    CHECK(window.GetElementHwndByClassName("^ed", 2, LookupMatch::RegExp) == itemOf(main, 102));
    CHECK(window.GetElementHwndByText("1+1", 1) == itemOf(main, 103));
    CHECK(window.GetElementHwndByText("11", 1) == 0);
    CHECK(window.GetElementTextByText("1+1", 1) == "计算 1+1");

    // Set and read back.
    CHECK(window.SetElementTextByClassName("Edit", "新的 文本 'x'", 2));
    CHECK(window.GetElementTextByClassName("Edit", 2) == "新的 文本 'x'");

    // Regular-expression lookups over a long control text, up to the 32000
    // characters a text is read with (the standard matcher
    // ran out of stack on a few thousand characters).
    const std::string longText = std::string(31000, 'x') + "!";
    CHECK(window.SetElementTextByClassName("Edit", longText, 1));
    CHECK(window.GetElementTextByClassName("Edit", 1) == longText);
    CHECK(window.GetElementHwndByText("^x+!$", 1, LookupMatch::RegExp) == itemOf(main, 101));
    CHECK(window.GetElementHwndByText("(x|y)*q", 1, LookupMatch::RegExp) == 0);

    // A click reaches the button: the window counts it.
    CHECK(window.ClickElementByText("确定", 1) != 0);
    std::string clicks;
    for (int pass = 0; pass < 100 && clicks != "clicks: 1"; ++pass) {
        window.WAIT(50);
        clicks = window.GetElementTextByText("clicks: 1", 1);
    }
    CHECK(clicks == "clicks: 1");

    // One listing line per window; the line break became a blank.
    const std::string listing = modWindow::ControlsInfo(counting, main);
    const auto lines = ControlListing::Parse(listing);
    CHECK(lines.size() == 7);
    CHECK(!lines.empty() && lines.front().handle == main && lines.front().controlId == 0);
    CHECK(lines.size() == 7 && lines[6].text == "line one line two" && lines[6].controlId == 106);

    // Geometry.
    CHECK(window.Move(40, 60, 400, 300) != 0);
    CHECK(window.Left() == 40);
    CHECK(window.Top() == 60);
    CHECK(window.Width() == 400);
    CHECK(window.Height() == 300);

    // The owning process.
    CHECK(window.ProcessID() == static_cast<ProcessId>(process.dwProcessId));
    CHECK(window.AppName() == "automation_test_window.exe");
    const std::string commandLine = window.AppCommandLine();
    CHECK(commandLine.find("automation_test_window.exe\" \"Zarv 自动化 测试窗 \\\"1\\\"\"\r\n")
          != std::string::npos);

    // WAIT keeps to its time.
    const ULONGLONG before = GetTickCount64();
    window.WAIT(500);
    const ULONGLONG waited = GetTickCount64() - before;
    CHECK(waited >= 450 && waited < 3000);

    // Closing ends the window and its program.
    window.CloseWindow();
    CHECK(hasEnded(process));
    CHECK(window.GetWindowHwndByTitle(title, 0) == 0);
    CHECK(window.Width() == -1 && window.CloseApp() == 0);

    // CloseApp ends the owner.
    PROCESS_INFORMATION second = startTestWindow(L"second automation window");
    CHECK(window.GetWindowHwndByTitle("second automation window", 30) != 0);
    CHECK(window.CloseApp() != 0);
    CHECK(hasEnded(second));

    std::printf("%s: %d failed checks\n", failures ? "FAILED" : "passed", failures);
    return failures;
}
