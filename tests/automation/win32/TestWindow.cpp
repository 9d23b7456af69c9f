// A real Win32 window for the automation tests: two edit boxes, a label whose
// text ends in "1+1", a button that counts its clicks in a second label, and a
// multi-line edit box holding a line break. The title is the first argument.
#include <windows.h>

#include <string>

namespace {

constexpr int kEditFirst = 101, kEditSecond = 102, kLabel = 103, kButton = 104, kClicks = 105,
              kMultiLine = 106;
int clicks = 0;

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == kButton && HIWORD(wParam) == BN_CLICKED) {
        ++clicks;
        SetDlgItemTextW(window, kClicks, (L"clicks: " + std::to_wstring(clicks)).c_str());
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void Child(HWND parent, const wchar_t *className, const wchar_t *text, DWORD style, int id, int y)
{
    CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, 10, y, 200, 24, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

int wmain(int argc, wchar_t **argv)
{
    const wchar_t *title = argc > 1 ? argv[1] : L"automation test window";
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ZarvAutomationTestWindow";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW, 50, 50, 320, 260,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
    Child(window, L"Edit", L"第一个", WS_BORDER, kEditFirst, 10);
    Child(window, L"Edit", L"second edit", WS_BORDER, kEditSecond, 40);
    Child(window, L"Static", L"计算 1+1", 0, kLabel, 70);
    Child(window, L"Button", L"确定", BS_PUSHBUTTON, kButton, 100);
    Child(window, L"Static", L"clicks: 0", 0, kClicks, 130);
    Child(window, L"Edit", L"line one\r\nline two", WS_BORDER | ES_MULTILINE, kMultiLine, 160);
    ShowWindow(window, SW_SHOWNORMAL);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
