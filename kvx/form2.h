// Form2, the options dialog "詳細設定": default folder, change interval, change at start-up.
// Modeless and single: opening it again refills the fields from the settings.
#pragma once

#include <windows.h>

#include "layout.h"

#include <functional>
#include <span>

// Opens (or refills and brings up) the dialog. owner is the main window, which also owns the
// folder picker; switchtimer turns Timer1 on or off when OK stores a new interval.
void Showform2(HWND owner, std::function<void(bool on)> switchtimer);
// The dialog's window while it is open, else null.
HWND Form2window();
// The dialog's controls and their places in twips, in tab order.
std::span<const Controlspec> Form2layout();

// Control ids of the dialog, in tab order.
enum Form2control : int {
    form2text1 = 101,
    form2command2,
    form2label1,
    form2text2,
    form2label3,
    form2label4,   // why the interval was refused
    form2command1 = IDOK,
    form2check1 = 110,
};
