// Form4, the progress window of a sound set's export or import: what is being done and how far
// it has come. Shown while the files are copied; the user waits for it and cannot close it.
#pragma once

#include "window.h"

#include <windows.h>

#include <string>

namespace form4 {
enum : int {
    Label1 = 101,
    Progress1,
};
}

// Opens the window over owner, titled title, saying text; the bar at 0.
void Showform4(HWND owner, const std::wstring& title, const std::wstring& text);
// Moves the bar to done of total and lets the window be drawn.
void Setform4progress(int done, int total);
// Closes the window.
void Unloadform4();
// The window while it is open, else null.
HWND Form4();
// The window's face: controls and their places in twips, client size.
const Windowlayout& Form4layout();
