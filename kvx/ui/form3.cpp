#include "form3.h"

#include "pickers.h"
#include "uihandles.h"
#include "window.h"

#include <windowsx.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <utility>

namespace {
struct Form3state {
    HWND window = nullptr;
    HICON icon = nullptr;  // shared
    UINT taskbarcreated = 0;
    Trayactions actions;
    std::wstring tip = L"KVX";
    bool version4 = false;
    // The click that ends a double-click opens no menu: it comes within the double-click time.
    ULONGLONG doubleclickat = 0;
    bool doubleclicked = false;
    // Version 4 tells a right click by its button-up before WM_CONTEXTMENU; without one, the
    // menu was asked for from the keyboard.
    bool rightbutton = false;
    // A notification waiting for the icon, and what follows its showing.
    std::wstring notification;
    std::function<void()> notified;
};
Form3state state;

void Run(const std::function<void()>& action)
{
    if (action) action();
}

// mfile, made anew each time it opens so that its check marks are those of the moment.
Menuhandle Createtraymenu()
{
    Menuhandle mfile(CreatePopupMenu());
    for (const Trayitem& item : state.actions.items) {
        if (item.id == 0) {
            AppendMenuW(mfile.get(), MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT flags = MF_STRING | (item.checked && item.checked() ? MF_CHECKED : MF_UNCHECKED);
        AppendMenuW(mfile.get(), flags, item.id, item.text);
    }
    if (!state.actions.items.empty()) SetMenuDefaultItem(mfile.get(), state.actions.items.front().id, FALSE);
    return mfile;
}

// Tebbet finds Kvx by the title "KVX", which Form3 shares: keep Form3 below the main window.
void Sendtobottom()
{
    SetWindowPos(state.window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Runitem(UINT id)
{
    auto item = std::find_if(state.actions.items.begin(), state.actions.items.end(),
                             [id](const Trayitem& i) { return i.id == id && id != 0; });
    if (item != state.actions.items.end()) Run(item->run);
}

void Rundefault()
{
    if (!state.actions.items.empty()) Runitem(state.actions.items.front().id);
}

// Opens the menu at a point: the pointer's for the mouse, the icon's anchor for the keyboard,
// which also finds the first item highlighted, so that arrows and Enter work at once.
void Openmenu(POINT at, bool fromkeyboard)
{
    KillTimer(state.window, form3::Timer2);
    Menuhandle mfile = Createtraymenu();
    // Without the foreground the menu stays open when the user clicks elsewhere.
    SetForegroundWindow(state.window);
    // The menu's own loop takes this key as the user's first Down arrow.
    if (fromkeyboard) PostMessageW(state.window, WM_KEYDOWN, VK_DOWN, 0);
    UINT chosen = Showpopupmenu(state.window, mfile.get(), at);
    // Lets the menu close properly on the next task switch.
    PostMessageW(state.window, WM_NULL, 0, 0);
    Sendtobottom();
    Runitem(chosen);
}

POINT Pointer()
{
    POINT at{};
    GetCursorPos(&at);
    return at;
}

// A click opens the menu only once it is clear that no second click follows: the menu's modal
// loop would take the second click of a double-click for itself.
void OnClick()
{
    if (std::exchange(state.doubleclicked, false) && GetTickCount64() - state.doubleclickat <= GetDoubleClickTime())
        return;
    SetTimer(state.window, form3::Timer2, GetDoubleClickTime(), nullptr);
}

void OnLbuttondblclk()
{
    KillTimer(state.window, form3::Timer2);
    state.doubleclicked = true;
    state.doubleclickat = GetTickCount64();
    Rundefault();
}

void OnTraymessage(WPARAM wparam, LPARAM lparam)
{
    // The first version puts the mouse message in lParam, version 4 the event in its low word.
    UINT event = state.version4 ? LOWORD(lparam) : UINT(lparam);
    POINT anchor{GET_X_LPARAM(wparam), GET_Y_LPARAM(wparam)};
    switch (event) {
    // Version 4 follows each left button-up with NIN_SELECT: the click is taken once, from that.
    case WM_LBUTTONUP:
        if (!state.version4) OnClick();
        break;
    case NIN_SELECT: OnClick(); break;
    case WM_LBUTTONDBLCLK: OnLbuttondblclk(); break;
    case WM_RBUTTONUP:
        if (!state.version4)
            Openmenu(Pointer(), false);
        else
            state.rightbutton = true;
        break;
    case WM_CONTEXTMENU: Openmenu(anchor, !std::exchange(state.rightbutton, false)); break;
    // Enter or Space on the focused icon, and a click on its notification: the default item.
    case NIN_KEYSELECT:
    case NIN_BALLOONUSERCLICK: Rundefault(); break;
    default: break;
    }
}

void OnTimer(WPARAM id)
{
    // Timer1: tuskicon1 stops the retries once the icon is there.
    if (id == form3::Timer1) tuskicon1();
    if (id == form3::Timer2) Openmenu(Pointer(), false);
}

LRESULT CALLBACK Form3proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (state.taskbarcreated != 0 && message == state.taskbarcreated) {
        // The shell restarted and forgot its icons.
        tuskicon1();
        return 0;
    }
    switch (message) {
    case traycallback: OnTraymessage(wparam, lparam); return 0;
    case WM_TIMER: OnTimer(wparam); return 0;
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
    NOTIFYICONDATAW record = Trayrecord();
    return Shell_NotifyIconW(what, &record) != FALSE;
}

// Asks for the notification contract of version 4, which the keyboard in the notification area
// and screen readers need; an older shell keeps the first version.
void Setversion()
{
    NOTIFYICONDATAW record = Trayrecord();
    record.uVersion = NOTIFYICON_VERSION_4;
    state.version4 = Shell_NotifyIconW(NIM_SETVERSION, &record) != FALSE;
}

void Shownotification()
{
    if (state.notification.empty()) return;
    NOTIFYICONDATAW record = Trayrecord();
    record.uFlags |= NIF_INFO;
    std::wcsncpy(record.szInfoTitle, L"Kvx", std::size(record.szInfoTitle) - 1);
    std::wcsncpy(record.szInfo, state.notification.c_str(), std::size(record.szInfo) - 1);
    record.dwInfoFlags = NIIF_USER | NIIF_NOSOUND;
    record.hBalloonIcon = state.icon;
    if (!Shell_NotifyIconW(NIM_MODIFY, &record)) return;
    state.notification.clear();
    if (auto shown = std::exchange(state.notified, nullptr)) shown();
}
}

HWND Loadform3(Trayactions actions)
{
    state.actions = std::move(actions);
    if (state.window) return state.window;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!Registerwindowclass(instance, form3class, Form3proc)) return nullptr;
    state.taskbarcreated = RegisterWindowMessageW(L"TaskbarCreated");
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
    state = Form3state{};
}

NOTIFYICONDATAW Trayrecord()
{
    NOTIFYICONDATAW record{};
    record.cbSize = sizeof record;
    record.hWnd = state.window;
    record.uID = trayid;
    // Under version 4 the shell shows the tooltip only when asked to.
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    record.uCallbackMessage = traycallback;
    record.hIcon = state.icon;
    // 127 characters and the NUL; a surrogate pair is never cut in two.
    size_t length = std::min(state.tip.size(), std::size(record.szTip) - 1);
    if (length > 0 && length < state.tip.size() && IS_HIGH_SURROGATE(state.tip[length - 1])) --length;
    std::wmemcpy(record.szTip, state.tip.c_str(), length);
    return record;
}

bool tuskicon1()
{
    if (!state.window) return false;
    // An add fails for an icon that is already there too: a modification tells the two apart.
    bool shown = Shellnotify(NIM_ADD) || Shellnotify(NIM_MODIFY);
    if (shown) {
        KillTimer(state.window, form3::Timer1);
        Setversion();
        Shownotification();
    } else {
        SetTimer(state.window, form3::Timer1, form3::timer1interval, nullptr);
    }
    return shown;
}

bool tuskicon2()
{
    if (!state.window) return false;
    KillTimer(state.window, form3::Timer1);
    KillTimer(state.window, form3::Timer2);
    return Shellnotify(NIM_DELETE);
}

bool Settraytip(const std::wstring& tip)
{
    state.tip = tip;
    return state.window && Shellnotify(NIM_MODIFY);
}

void Notifyonce(const std::wstring& text, std::function<void()> shown)
{
    state.notification = text;
    state.notified = std::move(shown);
    if (state.window && Shellnotify(NIM_MODIFY)) Shownotification();
}

bool Trayversion4()
{
    return state.version4;
}
