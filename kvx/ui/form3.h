// Form3, the hidden window that owns the notification-area icon and its pop-up menu. It knows
// nothing of the main window: its owner hands it what the menu items do.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

inline constexpr wchar_t form3class[] = L"KvxForm3";
inline constexpr UINT trayid = 1;
// The shell reports activity on the icon as this message. The icon asks for the notification
// contract of version 4: the event in the low word of lParam (a mouse message, NIN_SELECT for a
// click, NIN_KEYSELECT for Enter or Space on the focused icon, WM_CONTEXTMENU for a right click,
// Shift+F10 or the menu key), the icon's id in the high word, the anchor point in wParam. A shell
// that does not take version 4 sends the mouse message alone in lParam.
inline constexpr UINT traycallback = WM_MOUSEMOVE;

namespace form3 {
// Menu items; mfile is the pop-up that holds them.
// Numbered apart from the main window's controls and dialog keys, since its keys run them too.
enum : UINT { mresize = 40001, moption, mend, mchange, mpause, mstartup, mnorepeat, mrestore, mexport, mimport };
// Retries adding the icon while the shell is not ready for it (at logon).
inline constexpr UINT_PTR Timer1 = 1;
inline constexpr UINT timer1interval = 5000;
// Opens the menu for a left click once the double-click time has passed without a second click.
inline constexpr UINT_PTR Timer2 = 2;
}

// One item of the icon's menu, as its owner gives it.
struct Trayitem {
    UINT id;  // 0: a separator
    const wchar_t* text;
    std::function<void()> run;
    std::function<bool()> checked;  // empty: never checked
};

// What the owner of the icon does: the menu items, in order, the first being the default one
// (shown bold, and run by a double-click on the icon, Enter or Space on it and a click on its
// notification); and what a close request to Form3 does.
struct Trayactions {
    std::vector<Trayitem> items;
    std::function<void()> end;
};


// Creates the tray form hidden, or gives the existing one the new actions. Null on failure.
HWND Loadform3(Trayactions actions);
// The tray form while it exists, else null.
HWND Form3();
// Destroys the tray form at the end of the program.
void Unloadform3();
// The notification record as both methods fill it.
NOTIFYICONDATAW Trayrecord();
// Adds the icon; an icon already present stays one icon. When the shell refuses, Form3 tries
// again every few seconds until the icon is there. Returns whether it is there now.
bool tuskicon1();
// Removes the icon (and gives up a pending retry). Returns whether an icon was removed.
bool tuskicon2();
// The icon's tooltip from now on, also for an icon added later. Returns whether the shown icon
// took it.
bool Settraytip(const std::wstring& tip);
// Shows one notification from the icon (the program's icon, no sound) as soon as the icon is
// there, and then calls shown.
void Notifyonce(const std::wstring& text, std::function<void()> shown);
// Whether the shell took the notification contract of version 4 for the icon.
bool Trayversion4();
