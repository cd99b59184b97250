// Form4, the progress window of long work: a sound set's export or import, or the conversion of
// added sounds. It says what is being done and how far it has come. Work that cannot be left half
// done cannot be closed; work that can stop has a cancel button (Esc and the close box too).
#pragma once

#include "window.h"

#include <windows.h>

#include <functional>
#include <string>

namespace form4 {
enum : int {
    Label1 = 101,
    Progress1,
    Command1,  // "キャンセル", for work that can stop
};
}

// Opens the window over owner, titled title, saying text; the bar at 0. With cancel, the window
// has a cancel button that calls it.
void Showform4(HWND owner, const std::wstring& title, const std::wstring& text,
               std::function<void()> cancel = {});
// Says text while the window is open.
void Setform4text(const std::wstring& text);
// Moves the bar to done of total and lets the window be drawn.
void Setform4progress(int done, int total);
// Closes the window.
void Unloadform4();
// The window while it is open, else null.
HWND Form4();
// The window's face: controls and their places in twips, client size; with the cancel button.
const Windowlayout& Form4layout(bool cancel = false);
