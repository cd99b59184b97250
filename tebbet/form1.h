// Tebbet's one window, Form1: the applications in Combo1, the events of the selected one in
// List1, every known event in List2, and the buttons that edit them.
#pragma once

#include "handles.h"
#include "layout.h"

#include <windows.h>

#include <cstdint>

// Control ids; above IDOK/IDCANCEL, which IsDialogMessage sends for Enter and Esc.
enum : int {
    IDC_FRAME1 = 101,
    IDC_COMBO1,
    IDC_COMMAND6,
    IDC_COMMAND3,
    IDC_COMMAND4,
    IDC_LABEL1,
    IDC_LIST1,
    IDC_LABEL2,
    IDC_LIST2,
    IDC_COMMAND1,
    IDC_COMMAND2,
    IDC_COMMAND5,
};

inline constexpr wchar_t formtitle[] = L"KVX用イベント設定";

// The window and its controls while it exists; all null before and after.
struct Form1 {
    HWND window = nullptr;
    HWND frame1 = nullptr, combo1 = nullptr, command6 = nullptr, command3 = nullptr, command4 = nullptr;
    HWND label1 = nullptr, list1 = nullptr, label2 = nullptr, list2 = nullptr;
    HWND command1 = nullptr, command2 = nullptr, command5 = nullptr;
    HWND tooltip = nullptr;
    Windowfonts fonts;
};

extern Form1 form1;
// The apps index (1-based) of the application selected in Combo1; 0 while there is none.
extern int16_t curapp;

// Creates and shows the window; its creation reads the registry and fills the lists.
HWND Createform1(HINSTANCE instance, int show);
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
