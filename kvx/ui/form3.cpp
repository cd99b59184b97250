#include "form3.h"

#include "uihandles.h"
#include "window.h"

#include <cstring>
#include <span>

std::function<UINT(HMENU, POINT)> popupmenuhook;

namespace {
struct Form3state {
    HWND window = nullptr;
    Menuhandle menu;
    HICON icon = nullptr;  // shared
    UINT taskbarcreated = 0;
    Trayactions actions;
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

void Run(const std::function<void()>& action)
{
    if (action) action();
}

void OnMresizeclick() { Run(state.actions.show); }
void OnMoptionclick() { Run(state.actions.options); }
void OnMendclick() { Run(state.actions.end); }

const Commandroute menuroutes[] = {
    {form3::mresize, 0, OnMresizeclick},
    {form3::moption, 0, OnMoptionclick},
    {form3::mend, 0, OnMendclick},
};

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
    Routecommand(menuroutes, int(chosen), 0);
}

void OnTraymessage(HWND window, LPARAM lparam)
{
    switch (Trayaction(LOWORD(lparam))) {
    case Trayreaction::menu: Openmenu(window); break;
    case Trayreaction::show: Run(state.actions.show); break;
    case Trayreaction::none: break;
    }
}

void OnTimer1()
{
    // tuskicon1 stops the retries once the icon is there.
    tuskicon1();
}

LRESULT CALLBACK Form3proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (state.taskbarcreated != 0 && message == state.taskbarcreated) {
        // The shell restarted and forgot its icons.
        tuskicon1();
        return 0;
    }
    switch (message) {
    case traycallback: OnTraymessage(window, lparam); return 0;
    case WM_TIMER:
        if (wparam == form3::Timer1) OnTimer1();
        return 0;
    case WM_CLOSE:
        // Form3 goes with the program: a close request ends the program through its owner.
        Run(state.actions.end);
        return 0;
    case WM_DESTROY: state.window = nullptr; return 0;
    default: return DefWindowProcW(window, message, wparam, lparam);
    }
}

bool Shellnotify(DWORD what)
{
    NOTIFYICONDATAA record = Trayrecord();
    return Shell_NotifyIconA(what, &record) != FALSE;
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

HWND Loadform3(Trayactions actions)
{
    state.actions = std::move(actions);
    if (state.window) return state.window;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!Registerwindowclass(instance, form3class, Form3proc)) return nullptr;
    state.taskbarcreated = RegisterWindowMessageW(L"TaskbarCreated");
    state.menu = Createtraymenu();
    state.icon = Smallicon(instance);
    state.window = CreateWindowExW(WS_EX_TOOLWINDOW, form3class, L"KVX", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                                   0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    Sendtobottom();
    return state.window;
}

HWND Form3()
{
    return state.window;
}

void Unloadform3()
{
    if (state.window) DestroyWindow(state.window);
    state.menu.reset();
    state.actions = Trayactions{};
}

NOTIFYICONDATAA Trayrecord()
{
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = state.window;
    record.uID = trayid;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = traycallback;
    record.hIcon = state.icon;
    std::strcpy(record.szTip, "KVX");
    return record;
}

bool tuskicon1()
{
    if (!state.window) return false;
    // An add fails for an icon that is already there too: a modification tells the two apart.
    bool shown = Shellnotify(NIM_ADD) || Shellnotify(NIM_MODIFY);
    if (shown)
        KillTimer(state.window, form3::Timer1);
    else
        SetTimer(state.window, form3::Timer1, form3::timer1interval, nullptr);
    return shown;
}

bool tuskicon2()
{
    if (!state.window) return false;
    KillTimer(state.window, form3::Timer1);
    return Shellnotify(NIM_DELETE);
}
