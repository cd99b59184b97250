// Tebbet's one window, Form1: the applications in Combo1, the events of the selected one in
// List1, every known event in List2, and the buttons that edit them.
#pragma once

#include "window.h"

#include <windows.h>

#include <cstdint>

namespace form1 {
// Control ids, in the order the controls are stacked; above IDOK/IDCANCEL, which
// IsDialogMessage sends for Enter and Esc.
enum : int {
    Frame1 = 101,
    Combo1,
    Command6,
    Command3,
    Command4,
    Label1,
    List1,
    Label2,
    List2,
    Command1,
    Command2,
    Command5,
};
}

inline constexpr wchar_t formtitle[] = L"KVX用イベント設定";

// The apps index (1-based) of the application selected in Combo1; 0 while there is none.
extern int16_t curapp;

// Creates and shows the window; its creation reads the registry and fills the lists.
HWND Createform1(HINSTANCE instance, int show);
// The window while it exists, else null.
HWND Form1();
// The window's face: controls and their places in twips, headings, client size.
const Windowlayout& Form1layout();
// Keyboard navigation for the window; true when msg was handled and must not be dispatched.
bool Form1message(MSG& msg);
// The control that Tab (forward) or Shift+Tab moves to from current, in the tab-index order.
HWND Nexttabstop(HWND current, bool forward);

// Reads the application list and every application's events again, refills Combo1 and selects
// its first application. The event labels and List2 stay as they are.
void Reloadapps();
// The Kvx window the restart notice is about: the window titled exactly "KVX", else one whose
// title begins with "KVX"; never an editor window. Null when Kvx is not running.
HWND Findkvxwindow();
