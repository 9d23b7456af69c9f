// The Win32 window system: window enumeration, texts and class names,
// show/move/position commands, the button-click and close messages, process
// path, command line and termination.
#ifdef _WIN32

#include "rebooter/automation/WindowSystem.h"

#include <windows.h>
// after windows.h, which they need
#include <tlhelp32.h>
#include <winternl.h>

#include <vector>

namespace {

std::wstring toWide(const std::string &text)
{
    if (text.empty())
        return {};
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string toUtf8(const wchar_t *text, int length)
{
    if (length <= 0)
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

HWND hwndOf(WindowHandle window)
{
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(window));
}
WindowHandle handleOf(HWND window)
{
    return static_cast<WindowHandle>(reinterpret_cast<INT_PTR>(window));
}

// A window that stops answering must not stop the caller: messages to other
// programs' windows give up after a few seconds.
constexpr UINT MessageTimeoutMs = 5000;

struct EnumThunk {
    WindowSystem::ChildCallback callback;
    void *userValue;
};

BOOL CALLBACK childThunk(HWND child, LPARAM context)
{
    auto *thunk = reinterpret_cast<EnumThunk *>(context);
    return thunk->callback(handleOf(child), thunk->userValue) ? TRUE : FALSE;
}

BOOL CALLBACK topLevelThunk(HWND window, LPARAM context)
{
    reinterpret_cast<std::vector<WindowHandle> *>(context)->push_back(handleOf(window));
    return TRUE;
}

class Win32WindowSystem final : public WindowSystem {
public:
    std::vector<WindowHandle> topLevelWindows() override
    {
        std::vector<WindowHandle> windows;
        EnumWindows(&topLevelThunk, reinterpret_cast<LPARAM>(&windows));
        return windows;
    }

    WindowHandle findTopLevelByTitle(const std::string &title) override
    {
        return handleOf(FindWindowW(nullptr, toWide(title).c_str()));
    }

    void enumerateDescendants(WindowHandle parent, ChildCallback callback, void *userValue) override
    {
        EnumThunk thunk{callback, userValue};
        EnumChildWindows(hwndOf(parent), &childThunk, reinterpret_cast<LPARAM>(&thunk));
    }

    std::string className(WindowHandle window) override
    {
        wchar_t name[256];
        const int length = GetClassNameW(hwndOf(window), name, 256);
        return toUtf8(name, length);
    }

    std::string text(WindowHandle window) override
    {
        std::vector<wchar_t> buffer(32000, L'\0');
        DWORD_PTR copied = 0;
        if (!SendMessageTimeoutW(hwndOf(window), WM_GETTEXT, buffer.size(),
                                 reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG, MessageTimeoutMs,
                                 &copied)) {
            return {};
        }
        return toUtf8(buffer.data(), static_cast<int>(wcsnlen(buffer.data(), buffer.size())));
    }

    bool setText(WindowHandle window, const std::string &text) override
    {
        const std::wstring wide = toWide(text);
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(hwndOf(window), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()),
                                   SMTO_ABORTIFHUNG, MessageTimeoutMs, &result)
               && result;
    }

    long controlId(WindowHandle window) override
    {
        return static_cast<long>(GetWindowLongPtrW(hwndOf(window), GWLP_ID));
    }

    bool rect(WindowHandle window, WindowRect &rect) override
    {
        RECT r;
        if (!GetWindowRect(hwndOf(window), &r))
            return false;
        rect = {r.left, r.top, r.right - r.left, r.bottom - r.top};
        return true;
    }

    int move(WindowHandle window, const WindowRect &rect) override
    {
        return MoveWindow(hwndOf(window), rect.left, rect.top, rect.width, rect.height, TRUE);
    }

    int stack(WindowHandle window, StackPlace place) override
    {
        const HWND after = place == StackPlace::Topmost  ? HWND_TOPMOST
                           : place == StackPlace::Bottom ? HWND_BOTTOM
                                                         : HWND_NOTOPMOST;
        return SetWindowPos(hwndOf(window), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }

    int show(WindowHandle window, ShowCommand command) override
    {
        int how = SW_SHOWNORMAL;
        switch (command) {
        case ShowCommand::Minimized:
            how = SW_MINIMIZE;
            break;
        case ShowCommand::Maximized:
            how = SW_MAXIMIZE;
            break;
        case ShowCommand::Hidden:
            how = SW_HIDE;
            break;
        case ShowCommand::Shown:
            how = SW_SHOW;
            break;
        case ShowCommand::Normal:
            how = SW_SHOWNORMAL;
            break;
        }
        return ShowWindow(hwndOf(window), how);
    }

    int focus(WindowHandle window) override
    {
        const DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
        const DWORD ownThread = GetCurrentThreadId();
        const bool attached =
            foregroundThread != ownThread && AttachThreadInput(ownThread, foregroundThread, TRUE);
        ShowWindow(hwndOf(window), SW_SHOWNORMAL);
        SetWindowPos(hwndOf(window), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetWindowPos(hwndOf(window), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        const int result = SetForegroundWindow(hwndOf(window));
        if (attached)
            AttachThreadInput(ownThread, foregroundThread, FALSE);
        return result;
    }

    ProcessId processId(WindowHandle window) override
    {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwndOf(window), &pid);
        return pid;
    }

    std::string processPath(ProcessId pid) override
    {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
        if (!process)
            return {};
        wchar_t path[MAX_PATH * 4];
        DWORD length = MAX_PATH * 4;
        const bool ok = QueryFullProcessImageNameW(process, 0, path, &length);
        CloseHandle(process);
        return ok ? toUtf8(path, static_cast<int>(length)) : std::string();
    }

    std::vector<ProcessId> processesNamed(const std::string &executableName) override
    {
        std::vector<ProcessId> pids;
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE)
            return pids;
        const std::wstring wanted = toWide(executableName);
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
            if (_wcsicmp(entry.szExeFile, wanted.c_str()) == 0)
                pids.push_back(entry.th32ProcessID);
        }
        CloseHandle(snapshot);
        return pids;
    }

    // Reads the command line from the process's own parameter block instead of
    // asking the management service.
    std::string processCommandLine(ProcessId pid) override
    {
        using QueryFunction = LONG(WINAPI *)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
        auto query = reinterpret_cast<QueryFunction>(reinterpret_cast<void *>(
            GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
        HANDLE process =
            OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, static_cast<DWORD>(pid));
        if (!process)
            return {};
        std::string line;
        PROCESS_BASIC_INFORMATION basic{};
        PEB peb{};
        RTL_USER_PROCESS_PARAMETERS parameters{};
        if (query && query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) >= 0
            && ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof peb, nullptr)
            && ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof parameters, nullptr)) {
            std::wstring text(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
            if (ReadProcessMemory(process, parameters.CommandLine.Buffer, text.data(),
                                  parameters.CommandLine.Length, nullptr)) {
                line = toUtf8(text.data(), static_cast<int>(text.size()));
            }
        }
        CloseHandle(process);
        return line;
    }

    int terminateProcess(ProcessId pid) override
    {
        HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, static_cast<DWORD>(pid));
        if (!process)
            return 0;
        const int result = TerminateProcess(process, 0);
        CloseHandle(process);
        return result;
    }

    int postButtonClick(WindowHandle control) override
    {
        return PostMessageW(hwndOf(control), BM_CLICK, 0, 0);
    }

    int sendClose(WindowHandle window) override
    {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(hwndOf(window), WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, MessageTimeoutMs, &result);
        return static_cast<int>(result);
    }

    int clickPoint(int x, int y, int clickTimes) override
    {
        if (!SetCursorPos(x, y))
            return 0;
        for (int click = 0; click < clickTimes; ++click) {
            mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
            mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
        }
        return 1;
    }

    void pumpEvents() override
    {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
};

}  // namespace

std::unique_ptr<WindowSystem> CreateWindowSystem()
{
    return std::make_unique<Win32WindowSystem>();
}

#endif
