#include "form3.h"

#include "form1.h"
#include "handles.h"
#include "options.h"
#include "windowclass.h"

#include <cstring>

std::function<UINT(HMENU, POINT)> popupmenuhook;

namespace {
struct Form3state {
    HWND window = nullptr;
    Menuhandle menu;
    HICON icon = nullptr;  // shared
    UINT taskbarcreated = 0;
};
Form3state state;

Menuhandle Createtraymenu()
{
    // mfile is never shown as a menu bar: it only holds the pop-up.
    Menuhandle bar(CreateMenu());
    HMENU mfile = CreatePopupMenu();
    AppendMenuW(mfile, MF_STRING, form3::mresize, L"元のサイズに戻す");
    AppendMenuW(mfile, MF_STRING, form3::moption, L"詳細設定");
    AppendMenuW(mfile, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(mfile, MF_STRING, form3::mend, L"終了");
    AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(mfile), L"file");
    return bar;
}

// Tebbet finds Kvx by the title "KVX", which Form3 shares: keep Form3 below the main window.
void Sendtobottom()
{
    SetWindowPos(state.window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Onmresize()
{
    Showform1();
}

void Onmoption()
{
    Openoptions();
}

void Onmend()
{
    // Posted: the main window's unload must not run inside the menu's own handler.
    if (HWND form1 = Form1()) PostMessageW(form1, WM_CLOSE, 0, 0);
}

void Openmenu(HWND window)
{
    HMENU mfile = GetSubMenu(state.menu.get(), 0);
    POINT at{};
    GetCursorPos(&at);
    // Without the foreground the menu stays open when the user clicks elsewhere.
    SetForegroundWindow(window);
    UINT chosen = popupmenuhook ? popupmenuhook(mfile, at)
                                : UINT(TrackPopupMenu(mfile, TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x,
                                                      at.y, 0, window, nullptr));
    // Lets the menu close properly on the next task switch.
    PostMessageW(window, WM_NULL, 0, 0);
    Sendtobottom();
    switch (chosen) {
    case form3::mresize: Onmresize(); break;
    case form3::moption: Onmoption(); break;
    case form3::mend: Onmend(); break;
    default: break;
    }
}

void Onmousemove(HWND window, LPARAM lparam)
{
    switch (Trayaction(LOWORD(lparam))) {
    case Trayreaction::menu: Openmenu(window); break;
    case Trayreaction::show: Showform1(); break;
    case Trayreaction::none: break;
    }
}

LRESULT CALLBACK Form3proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (state.taskbarcreated != 0 && message == state.taskbarcreated) {
        // The shell restarted and forgot its icons.
        tuskicon1();
        return 0;
    }
    switch (message) {
    case traycallback: Onmousemove(window, lparam); return 0;
    case WM_CLOSE:
        // Form3 goes with the program: a close request ends the program through the main window.
        Onmend();
        return 0;
    case WM_DESTROY: state.window = nullptr; return 0;
    default: return DefWindowProcW(window, message, wparam, lparam);
    }
}

HWND Loadform3()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    Registerwindowclass(instance, form3class, Form3proc);
    state.taskbarcreated = RegisterWindowMessageW(L"TaskbarCreated");
    state.menu = Createtraymenu();
    state.icon = Smallicon(instance);
    state.window = CreateWindowExW(WS_EX_TOOLWINDOW, form3class, L"KVX", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                                   0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    Sendtobottom();
    return state.window;
}
}

Trayreaction Trayaction(UINT mousemsg)
{
    switch (mousemsg) {
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: return Trayreaction::menu;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK: return Trayreaction::show;
    default: return Trayreaction::none;
    }
}

HWND Form3()
{
    return state.window ? state.window : Loadform3();
}

void Unloadform3()
{
    if (state.window) DestroyWindow(state.window);
    state.menu.reset();
}

NOTIFYICONDATAA Trayrecord()
{
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = Form3();
    record.uID = trayid;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = traycallback;
    record.hIcon = state.icon;
    std::strcpy(record.szTip, "KVX");
    return record;
}

void tuskicon1()
{
    NOTIFYICONDATAA record = Trayrecord();
    Shell_NotifyIconA(NIM_ADD, &record);
}

void tuskicon2()
{
    NOTIFYICONDATAA record = Trayrecord();
    Shell_NotifyIconA(NIM_DELETE, &record);
}
