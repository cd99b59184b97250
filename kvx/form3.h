// Form3, the hidden window that owns the notification-area icon and its pop-up menu.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>

inline constexpr wchar_t form3class[] = L"KvxForm3";
inline constexpr UINT trayid = 1;
// The shell reports mouse activity on the icon as this message, the mouse message in lParam.
inline constexpr UINT traycallback = WM_MOUSEMOVE;

namespace form3 {
// Menu items; mfile is the pop-up that holds them.
enum : UINT { mresize = 1, moption, mend };
}

enum class Trayreaction { none, menu, show };

// What a mouse message on the icon does: a released button opens the menu, a double-click shows
// the main window, anything else does nothing.
Trayreaction Trayaction(UINT mousemsg);

// Tests stand in for the modal TrackPopupMenu here: gets mfile and the pointer position and
// returns the chosen item, 0 for none.
extern std::function<UINT(HMENU popup, POINT at)> popupmenuhook;

// The tray form, created hidden on first use.
HWND Form3();
// Destroys the tray form at the end of the program.
void Unloadform3();
// The notification record in its first (ANSI) version, as both methods fill it.
NOTIFYICONDATAA Trayrecord();
// Adds the icon; an icon already present stays one icon.
void tuskicon1();
// Removes the icon.
void tuskicon2();
