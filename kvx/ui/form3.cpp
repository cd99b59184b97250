#include "form3.h"

#include "text.h"
#include "uihandles.h"
#include "window.h"

#include <algorithm>
#include <cstring>

std::function<UINT(HMENU, POINT)> popupmenuhook;

namespace {
struct Form3state {
    HWND window = nullptr;
    HICON icon = nullptr;  // shared
    UINT taskbarcreated = 0;
    Trayactions actions;
    std::wstring tip = L"KVX";
    // The button-up that ends a double-click opens no menu.
    bool afterdoubleclick = false;
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

void Openmenu()
{
    KillTimer(state.window, form3::Timer2);
    Menuhandle mfile = Createtraymenu();
    POINT at{};
    GetCursorPos(&at);
    // Without the foreground the menu stays open when the user clicks elsewhere.
    SetForegroundWindow(state.window);
    UINT chosen = popupmenuhook ? popupmenuhook(mfile.get(), at)
                                : UINT(TrackPopupMenu(mfile.get(), TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                                                      at.x, at.y, 0, state.window, nullptr));
    // Lets the menu close properly on the next task switch.
    PostMessageW(state.window, WM_NULL, 0, 0);
    Sendtobottom();
    Runitem(chosen);
}

// A click opens the menu only once it is clear that no second click follows: the menu's modal
// loop would take the second click of a double-click for itself.
void OnLbuttonup()
{
    if (std::exchange(state.afterdoubleclick, false)) return;
    SetTimer(state.window, form3::Timer2, GetDoubleClickTime(), nullptr);
}

void OnLbuttondblclk()
{
    KillTimer(state.window, form3::Timer2);
    state.afterdoubleclick = true;
    if (!state.actions.items.empty()) Runitem(state.actions.items.front().id);
}

void OnTraymessage(LPARAM lparam)
{
    switch (LOWORD(lparam)) {
    case WM_LBUTTONUP: OnLbuttonup(); break;
    case WM_LBUTTONDBLCLK: OnLbuttondblclk(); break;
    case WM_RBUTTONUP: Openmenu(); break;
    default: break;
    }
}

void OnTimer(WPARAM id)
{
    // Timer1: tuskicon1 stops the retries once the icon is there.
    if (id == form3::Timer1) tuskicon1();
    if (id == form3::Timer2) Openmenu();
}

LRESULT CALLBACK Form3proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (state.taskbarcreated != 0 && message == state.taskbarcreated) {
        // The shell restarted and forgot its icons.
        tuskicon1();
        return 0;
    }
    switch (message) {
    case traycallback: OnTraymessage(lparam); return 0;
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
    NOTIFYICONDATAA record = Trayrecord();
    return Shell_NotifyIconA(what, &record) != FALSE;
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

NOTIFYICONDATAA Trayrecord()
{
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = state.window;
    record.uID = trayid;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = traycallback;
    record.hIcon = state.icon;
    // The shell reads 64 bytes of tip from a record of the first version: shortened by whole
    // characters, never mid-character.
    constexpr size_t tipbytes = 64;
    std::wstring tip = state.tip;
    while (Toansi(tip).size() >= tipbytes) tip.pop_back();
    std::string bytes = Toansi(tip);
    std::memcpy(record.szTip, bytes.c_str(), bytes.size() + 1);
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
    KillTimer(state.window, form3::Timer2);
    return Shellnotify(NIM_DELETE);
}

bool Settraytip(const std::wstring& tip)
{
    state.tip = tip;
    return state.window && Shellnotify(NIM_MODIFY);
}
