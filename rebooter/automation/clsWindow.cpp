#include "rebooter/automation/clsWindow.h"

#include "rebooter/automation/clsWaitableTimer.h"
#include "rebooter/automation/modWindow.h"

#include <algorithm>
#include <ctime>

namespace {

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return text;
}

std::string now()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

}  // namespace

clsWindow::clsWindow(WindowSystem &system, std::function<void()> pumpEvents)
    : system_(system),
      pumpEvents_(std::move(pumpEvents))
{
}

int clsWindow::Move(std::optional<int> lngLeft, std::optional<int> lngTop, std::optional<int> lngWidth,
                    std::optional<int> lngHeight)
{
    if (none())
        return 0;
    WindowRect current;
    if (!system_.rect(MainHwnd, current))
        return 0;
    const WindowRect target{lngLeft.value_or(current.left), lngTop.value_or(current.top),
                            lngWidth.value_or(current.width), lngHeight.value_or(current.height)};
    return system_.move(MainHwnd, target);
}

int clsWindow::Left()
{
    WindowRect r;
    return !none() && system_.rect(MainHwnd, r) ? r.left : -1;
}

int clsWindow::Top()
{
    WindowRect r;
    return !none() && system_.rect(MainHwnd, r) ? r.top : -1;
}

int clsWindow::Width()
{
    WindowRect r;
    return !none() && system_.rect(MainHwnd, r) ? r.width : -1;
}

int clsWindow::Height()
{
    WindowRect r;
    return !none() && system_.rect(MainHwnd, r) ? r.height : -1;
}

int clsWindow::Left(int value)
{
    return Move(value);
}
int clsWindow::Top(int value)
{
    return Move({}, value);
}
int clsWindow::Width(int value)
{
    return Move({}, {}, value);
}
int clsWindow::Height(int value)
{
    return Move({}, {}, {}, value);
}

int clsWindow::SetPosFront()
{
    return none() ? 0 : system_.stack(MainHwnd, StackPlace::Topmost);
}
int clsWindow::SetPosBottom()
{
    return none() ? 0 : system_.stack(MainHwnd, StackPlace::Bottom);
}
int clsWindow::SetPosNormal()
{
    return none() ? 0 : system_.stack(MainHwnd, StackPlace::NonTopmost);
}
int clsWindow::Minimized()
{
    return none() ? 0 : system_.show(MainHwnd, ShowCommand::Minimized);
}
int clsWindow::Maximized()
{
    return none() ? 0 : system_.show(MainHwnd, ShowCommand::Maximized);
}
int clsWindow::Hide()
{
    return none() ? 0 : system_.show(MainHwnd, ShowCommand::Hidden);
}
int clsWindow::Show()
{
    return none() ? 0 : system_.show(MainHwnd, ShowCommand::Shown);
}
int clsWindow::Normal()
{
    return none() ? 0 : system_.show(MainHwnd, ShowCommand::Normal);
}
int clsWindow::Focus()
{
    return none() ? 0 : system_.focus(MainHwnd);
}

ProcessId clsWindow::ProcessID()
{
    return none() ? 0 : system_.processId(MainHwnd);
}

std::string clsWindow::AppPath()
{
    const ProcessId pid = ProcessID();
    return pid > 0 ? system_.processPath(pid) : std::string();
}

std::string clsWindow::AppName()
{
    const std::string path = AppPath();
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string clsWindow::AppCommandLine()
{
    const std::string name = AppName();
    if (name.empty())
        return {};
    // The processes are matched by name directly, never through a query text,
    // so a name with quotes cannot change what is asked.
    std::string lines;
    for (ProcessId pid : system_.processesNamed(name))
        lines += system_.processCommandLine(pid) + "\r\n";
    return lines;
}

WindowHandle clsWindow::GetWindowHwndByTitle(const std::string &strTitle, int intWaitSeconds)
{
    if (DebugMe) {
        trace(" 函数GetWindowHwndByTitle被调用\r\n参数为 strTitle：" + strTitle + "\t intWaitSeconds："
              + std::to_string(intWaitSeconds));
    }
    const int tries = std::max(1, intWaitSeconds * 2);
    MainHwnd = 0;
    for (int attempt = 1; attempt <= tries; ++attempt) {
        MainHwnd = system_.findTopLevelByTitle(strTitle);
        if (MainHwnd != 0 || attempt == tries)
            break;
        WAIT(500);
    }
    return MainHwnd;
}

WindowHandle clsWindow::searchTitles(TitleTest test, const std::string &what, int intWaitSeconds,
                                     std::optional<ProcessId> checkPid, WindowHandle NotEqualhWnd)
{
    const std::string needle = lower(what);
    const int passes = std::max(0, intWaitSeconds) + 1;
    MainHwnd = 0;
    for (int pass = 1; pass <= passes; ++pass) {
        for (WindowHandle window : system_.topLevelWindows()) {
            if (window == NotEqualhWnd)
                continue;
            const std::string title = system_.text(window);
            const bool matches = test == TitleTest::Contains ? lower(title).find(needle) != std::string::npos
                                                             : RegExpTest(title, what);
            if (!matches)
                continue;
            // With a process test a title match of another process does not
            // count at all (never handed back as a fallback).
            if (checkPid && system_.processId(window) != *checkPid)
                continue;
            MainHwnd = window;
            return MainHwnd;
        }
        if (pass < passes)
            WAIT(500);
    }
    return MainHwnd;
}

WindowHandle clsWindow::GetWindowHwndByTitleEx(const std::string &strTitle, int intWaitSeconds,
                                               std::optional<ProcessId> checkPid, WindowHandle NotEqualhWnd)
{
    return searchTitles(TitleTest::Contains, strTitle, intWaitSeconds, checkPid, NotEqualhWnd);
}

WindowHandle clsWindow::GetWindowHwndByTitleRegExp(const std::string &pattern, int intWaitSeconds,
                                                   std::optional<ProcessId> checkPid)
{
    return searchTitles(TitleTest::RegExp, pattern, intWaitSeconds, checkPid, 0);
}

bool clsWindow::writeToFile(const std::string &strFileName, const std::string &strContent, FileMode isCover)
{
    return modWindow::WriteTextFile(strFileName, strContent,
                                    isCover == FileMode::Cover ? modWindow::WriteMode::Replace
                                                               : modWindow::WriteMode::Append);
}

bool clsWindow::RegExpTest(const std::string &text, const std::string &pattern)
{
    return ControlListing::RegExpTest(text, pattern);
}

std::string clsWindow::RegExpReplace(const std::string &text, const std::string &pattern,
                                     const std::string &replacement)
{
    return ControlListing::RegExpReplace(text, pattern, replacement);
}

WindowHandle clsWindow::getMatchHwndFromWindow(const std::string &what, int intIndex, LookupMatch UseRegExp,
                                               LookupField field)
{
    if (DebugMe) {
        trace(" 函数getMatchHwndFromWindow被调用\r\n参数为 Pattern："
              + ControlListing::LookupPattern(field, UseRegExp, what) + "\t intIndex："
              + std::to_string(intIndex));
        trace(" 函数getMatchHwndFromWindow中调用函数ControlsInfo，参数为 MainHwnd："
              + std::to_string(MainHwnd));
    }
    if (none())
        return 0;
    const std::string listing = modWindow::ControlsInfo(
        system_, MainHwnd, DebugMe ? modWindow::ListingFile::Write : modWindow::ListingFile::Skip);
    const LookupResult found = ControlListing::Find(listing, field, UseRegExp, what, intIndex);
    if (DebugMe)
        trace(" 函数getMatchHwndFromWindow执行完毕\r\n匹配数量为：" + std::to_string(found.matchCount));
    return found.handle;
}

WindowHandle clsWindow::GetElementHwndByClassName(const std::string &strClassName, int intIndex,
                                                  LookupMatch UseRegExp)
{
    if (DebugMe) {
        trace(" 函数GetElementHwndByClassName被调用\r\n参数为 strClassName：" + strClassName + "\t intIndex："
              + std::to_string(intIndex));
        trace(" 函数GetElementHwndByClassName中调用函数getMatchHwndFromWindow");
    }
    return getMatchHwndFromWindow(strClassName, intIndex, UseRegExp, LookupField::ClassName);
}

WindowHandle clsWindow::GetElementHwndByText(const std::string &strText, int intIndex, LookupMatch UseRegExp)
{
    if (DebugMe) {
        trace(" 函数GetElementHwndByText被调用\r\n参数为 strText：" + strText + "\t intIndex："
              + std::to_string(intIndex));
        trace(" 函数GetElementHwndByText中调用函数getMatchHwndFromWindow");
    }
    return getMatchHwndFromWindow(strText, intIndex, UseRegExp, LookupField::Text);
}

std::string clsWindow::GetElementTextByClassName(const std::string &strClassName, int intIndex,
                                                 LookupMatch UseRegExp)
{
    if (DebugMe) {
        trace(" 函数GetElementTextByClassName被调用\r\n参数为 strClassName：" + strClassName + "\t intIndex："
              + std::to_string(intIndex));
        trace(" 函数GetElementTextByClassName中调用函数getMatchHwndFromWindow");
    }
    const WindowHandle control =
        getMatchHwndFromWindow(strClassName, intIndex, UseRegExp, LookupField::ClassName);
    return control >= 1 ? system_.text(control) : std::string();
}

std::string clsWindow::GetElementTextByText(const std::string &strText, int intIndex, LookupMatch UseRegExp)
{
    if (DebugMe) {
        trace(" 函数GetElementTextByText被调用\r\n参数为 strText：" + strText + "\t intIndex："
              + std::to_string(intIndex));
        trace(" 函数GetElementTextByText中调用函数getMatchHwndFromWindow");
    }
    const WindowHandle control = getMatchHwndFromWindow(strText, intIndex, UseRegExp, LookupField::Text);
    return control >= 1 ? system_.text(control) : std::string();
}

bool clsWindow::SetElementTextByClassName(const std::string &strClassName, const std::string &strNewText,
                                          int intIndex, LookupMatch UseRegExp)
{
    const WindowHandle control =
        getMatchHwndFromWindow(strClassName, intIndex, UseRegExp, LookupField::ClassName);
    return control >= 1 && system_.setText(control, strNewText);
}

bool clsWindow::SetElementTextByText(const std::string &strText, const std::string &strNewText, int intIndex,
                                     LookupMatch UseRegExp)
{
    const WindowHandle control = getMatchHwndFromWindow(strText, intIndex, UseRegExp, LookupField::Text);
    return control >= 1 && system_.setText(control, strNewText);
}

std::string clsWindow::Caption()
{
    return none() ? std::string() : system_.text(MainHwnd);
}

bool clsWindow::Caption(const std::string &strNewText)
{
    return !none() && system_.setText(MainHwnd, strNewText);
}

int clsWindow::ClickElementByClassName(const std::string &strClassName, int intIndex, LookupMatch UseRegExp)
{
    const WindowHandle control =
        getMatchHwndFromWindow(strClassName, intIndex, UseRegExp, LookupField::ClassName);
    return control >= 1 ? system_.postButtonClick(control) : 0;
}

int clsWindow::ClickElementByText(const std::string &strText, int intIndex, LookupMatch UseRegExp)
{
    const WindowHandle control = getMatchHwndFromWindow(strText, intIndex, UseRegExp, LookupField::Text);
    return control >= 1 ? system_.postButtonClick(control) : 0;
}

bool clsWindow::EnumChildProc(WindowHandle hWnd)
{
    strControlInfo +=
        ControlListing::Line(hWnd, system_.controlId(hWnd), system_.className(hWnd), system_.text(hWnd));
    return true;
}

int clsWindow::CloseWindow()
{
    const int result = none() ? 0 : system_.sendClose(MainHwnd);
    if (DebugMe)
        trace(" 函数closeWindow执行完毕\r\n关闭窗口，句柄为：" + std::to_string(MainHwnd));
    return result;
}

int clsWindow::CloseApp()
{
    const ProcessId pid = ProcessID();
    return pid > 0 ? system_.terminateProcess(pid) : 0;
}

void clsWindow::WAIT(std::uint32_t MilliSeconds)
{
    clsWaitableTimer timer([this] {
        system_.pumpEvents();
        if (pumpEvents_)
            pumpEvents_();
    });
    timer.Wait(MilliSeconds);
}

int clsWindow::ClickPoint(int x, int y, int clickTimes)
{
    return system_.clickPoint(x, y, clickTimes);
}

void clsWindow::trace(const std::string &text)
{
    writeToFile("DEBUG.txt", now() + text, FileMode::Append);
}
