#pragma once

#include "rebooter/automation/ControlListing.h"
#include "rebooter/automation/WindowSystem.h"

#include <functional>
#include <optional>
#include <string>

// Drives another program's window: finds a top-level window by its title,
// moves, stacks, shows or focuses it, finds its process, finds a control in it
// by class name or text and reads, sets or clicks it, closes the window or ends
// its process. Every method acts on MainHwnd, which the title lookups set;
// "none" (MainHwnd below 1) gives 0, -1 or an empty text as each method says.
class clsWindow {
public:
    enum class FileMode { Append, Cover };

    explicit clsWindow(WindowSystem &system, std::function<void()> pumpEvents = {});

    WindowHandle MainHwnd = 0;
    // Traces calls into "DEBUG.txt" and writes listings to "controls.txt" (current folder).
    bool DebugMe = false;
    std::string strControlInfo;
    std::string strWindowInfo;
    int nWidth = 0;
    int nHeight = 0;

    // Missing values are taken from the window's current rectangle.
    int Move(std::optional<int> lngLeft = {}, std::optional<int> lngTop = {},
             std::optional<int> lngWidth = {}, std::optional<int> lngHeight = {});
    int Left();  // -1 for none, likewise Top, Width and Height
    int Top();
    int Width();
    int Height();
    int Left(int value);
    int Top(int value);
    int Width(int value);
    int Height(int value);

    int SetPosFront();
    int SetPosBottom();
    int SetPosNormal();
    int Minimized();
    int Maximized();
    int Hide();
    int Show();
    int Normal();
    int Focus();

    ProcessId ProcessID();
    std::string AppPath();
    std::string AppName();
    // The command lines of every process with the window's program name, each
    // followed by CR LF.
    std::string AppCommandLine();

    // Top-level window with exactly that title (ignoring case), tried every
    // 500 ms, max(1, 2 x seconds) tries. Sets MainHwnd; the handle or 0.
    WindowHandle GetWindowHwndByTitle(const std::string &strTitle, int intWaitSeconds);
    // Up to seconds + 1 passes, 500 ms apart, for a top-level window whose title
    // contains the text (ignoring case) and that is not NotEqualhWnd; with
    // checkPid only a window of that process counts. Sets MainHwnd; the handle or 0.
    WindowHandle GetWindowHwndByTitleEx(const std::string &strTitle, int intWaitSeconds,
                                        std::optional<ProcessId> checkPid = {},
                                        WindowHandle NotEqualhWnd = 0);
    bool writeToFile(const std::string &strFileName, const std::string &strContent, FileMode isCover);

    bool SetElementTextByClassName(const std::string &strClassName, const std::string &strNewText,
                                   int intIndex, LookupMatch UseRegExp = LookupMatch::Literal);
    std::string GetElementTextByClassName(const std::string &strClassName, int intIndex,
                                          LookupMatch UseRegExp = LookupMatch::Literal);
    std::string GetElementTextByText(const std::string &strText, int intIndex,
                                     LookupMatch UseRegExp = LookupMatch::Literal);
    WindowHandle GetElementHwndByClassName(const std::string &strClassName, int intIndex,
                                           LookupMatch UseRegExp = LookupMatch::Literal);
    WindowHandle GetElementHwndByText(const std::string &strText, int intIndex,
                                      LookupMatch UseRegExp = LookupMatch::Literal);
    bool SetElementTextByText(const std::string &strText, const std::string &strNewText, int intIndex,
                              LookupMatch UseRegExp = LookupMatch::Literal);

    std::string Caption();
    bool Caption(const std::string &strNewText);

    // Posts a button-click to the control: the post's result, 0 when not found
    // or when the window system cannot deliver one.
    int ClickElementByClassName(const std::string &strClassName, int intIndex,
                                LookupMatch UseRegExp = LookupMatch::Literal);
    int ClickElementByText(const std::string &strText, int intIndex,
                           LookupMatch UseRegExp = LookupMatch::Literal);

    // Appends the control's listing line to strControlInfo; always goes on.
    bool EnumChildProc(WindowHandle hWnd);

    int CloseWindow();
    int CloseApp();
    void WAIT(std::uint32_t MilliSeconds);
    int ClickPoint(int x, int y, int clickTimes);

private:
    enum class TitleTest { Contains, RegExp };

    WindowHandle GetWindowHwndByTitleRegExp(const std::string &pattern, int intWaitSeconds,
                                            std::optional<ProcessId> checkPid);
    WindowHandle searchTitles(TitleTest test, const std::string &what, int intWaitSeconds,
                              std::optional<ProcessId> checkPid, WindowHandle NotEqualhWnd);
    bool RegExpTest(const std::string &text, const std::string &pattern);
    std::string RegExpReplace(const std::string &text, const std::string &pattern,
                              const std::string &replacement);
    WindowHandle getMatchHwndFromWindow(const std::string &what, int intIndex, LookupMatch UseRegExp,
                                        LookupField field);
    void trace(const std::string &text);
    bool none() const { return MainHwnd < 1; }

    WindowSystem &system_;
    std::function<void()> pumpEvents_;
};
