// The trivial window program the bench sets Kvx's start beside: a program of its own, with a
// window's entry, a hidden window and a notification icon until it is closed, and nothing else.
// Like Kvx.exe it is a window program, so the bench waits for both the same way.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

namespace {
constexpr wchar_t windowclass[] = L"KvxBenchWindow";
constexpr UINT iconid = 1;

LRESULT CALLBACK Windowproc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    WNDCLASSW type{};
    type.lpfnWndProc = Windowproc;
    type.hInstance = instance;
    type.lpszClassName = windowclass;
    if (!RegisterClassW(&type)) return 1;
    HWND window = CreateWindowW(windowclass, L"Kvx bench", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = window;
    icon.uID = iconid;
    icon.uFlags = NIF_ICON | NIF_TIP;
    icon.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    std::wcscpy(icon.szTip, L"Kvx bench");
    // The shell may not be ready at once, as at logon.
    while (!Shell_NotifyIconW(NIM_ADD, &icon)) Sleep(10);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    Shell_NotifyIconW(NIM_DELETE, &icon);
    return 0;
}
