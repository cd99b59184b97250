// Tooltips of a window's controls.
#pragma once

#include <windows.h>

#include <span>

struct Tooltiprow {
    int id;  // the control
    const wchar_t* text;
};

// A tooltip window for owner's controls; it is destroyed with its owner.
HWND Createtooltips(HWND owner);
// Shows text while the pointer rests on control.
void Addtooltip(HWND tips, HWND control, const wchar_t* text);
// Addtooltip for every row, the controls being window's children.
void Addtooltips(HWND tips, HWND window, std::span<const Tooltiprow> rows);
