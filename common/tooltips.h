// Tooltips of a window's controls.
#pragma once

#include <windows.h>

// A tooltip window for owner's controls; it is destroyed with its owner.
HWND Createtooltips(HWND owner);
// Shows text while the pointer rests on control.
void Addtooltip(HWND tips, HWND control, const wchar_t* text);
