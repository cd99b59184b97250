// The folder picker, the file picker, pop-up menus and the enlarged drop-down of an application
// combo box.
// The pickers return the empty text on cancel or failure and never show a message of their own.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

struct Openfilerequest {
    HWND owner;
    std::wstring filter;      // description, one NUL, pattern
    std::wstring initialdir;
    std::wstring title;
};

// Tests stand in for the modal dialogs here; empty means the real dialog.
extern std::function<std::wstring(const Openfilerequest&)> openfilehook;
extern std::function<std::wstring(HWND owner, const std::wstring& title)> browsefolderhook;
extern std::function<int(HWND owner, const std::wstring& text, const std::wstring& title, UINT flags)> messagehook;
// Gets the menu and the point it would open at, and returns the item chosen, 0 for none.
extern std::function<UINT(HMENU popup, POINT at)> popupmenuhook;
extern std::function<void(const std::wstring& path)> explorerhook;

// The shell's folder dialog, owned by owner; only file-system folders can be chosen, and with
// canmake a new one can be made there.
std::wstring Browsefolder(HWND owner, const std::wstring& title, bool canmake = false);
// The common open-file dialog (OPENFILENAMEA in its version-4.00 size, flags 0x81804).
std::wstring Openfiledlg(HWND owner, const std::wstring& filter, const std::wstring& initialdir, const std::wstring& title);
// Makes the combo box 32 item heights tall in all, in place, and opens its list.
void Dropcombo(HWND container, HWND combo);
// A pop-up menu at a point of the screen, owned by owner; returns the item chosen, 0 for none.
UINT Showpopupmenu(HWND owner, HMENU popup, POINT at);
// Opens the folder that holds path in Explorer, with path selected.
void Showinexplorer(const std::wstring& path);
// A message box; returns the button chosen (IDOK, IDCANCEL, ...).
int Showmessage(HWND owner, const std::wstring& text, const std::wstring& title, UINT flags);
