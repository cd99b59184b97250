// Form1, Kvx's main window: the application, event and sound lists, the current sound, and the
// commands. Its creation is the program's start-up and its unload the program's end.
#pragma once

#include "window.h"

#include <windows.h>

#include <functional>
#include <string>

inline constexpr wchar_t form1class[] = L"KvxForm1";
inline constexpr wchar_t form1caption[] = L"KVX";
// Posted to the running Kvx by a second start: show the main window.
inline constexpr wchar_t showform1message[] = L"Kvx.Showform1";

namespace form1 {
// Control identifiers; none is IDOK or IDCANCEL, which the dialog keys send to the window.
enum : int {
    Frame2 = 100,
    Combo1,
    Command8,
    Label1,
    List1,
    Label2,
    Command5,
    Command6,
    Command7,
    List2,
    Frame1,
    regbox1,
    Label3,
    regbox2,
    Command1,
    Command2,
    Command3,
    Command4,
    // The sound list's context menu.
    mAddsound = 200,
    mAddfolder,
    mPlay,
    mChange,
    mRemove,
    mShowinexplorer,
};
inline constexpr UINT_PTR Timer1 = 1;
// Posted by the conversions in the background after each sound; wParam 1: its copy could not be
// written.
inline constexpr UINT convertedmessage = WM_APP + 1;
inline constexpr UINT timer1interval = 60000;
// Client area in twips.
inline constexpr int clientwidth = 10215;
inline constexpr int clientheight = 8175;
}

// Creates the main window hidden and runs the start-up; logon: Kvx starts with the session.
// Returns the window, or null.
HWND Createform1(HINSTANCE instance, bool logon = false);
// The main window while it exists, else null.
HWND Form1();
// The main window's face: controls and their places in twips, headings, client size.
const Windowlayout& Form1layout();
// Shows the main window and brings it to the front.
void Showform1();
// Unloads the main window: saves the shown list, removes the icon and ends the program.
void Unloadform1();
// Switches Timer1 on or off.
void Settimer1(bool on);
// The main window's keyboard: its keys (Insert, and those of Kvx's commands) and the dialog keys (Tab, arrows, Enter,
// Esc). True when msg was handled and must not be dispatched.
bool Form1message(MSG& msg);
