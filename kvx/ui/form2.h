// Form2, the options dialog "詳細設定": default folder, change interval, change at start-up and,
// where Windows no longer plays them, the sounds of logon, logoff and shut-down.
// Modeless and single: opening it again refills the fields from the settings.
#pragma once

#include "window.h"

#include <windows.h>

#include <functional>

namespace form2 {
// Control ids, in tab order. OK is IDOK, so Enter presses it.
enum : int {
    Text1 = 101,
    Command2,
    Label1,
    Text2,
    Label3,
    Label4,  // why the interval was refused, or that the settings could not be stored
    Command1 = IDOK,
    Check1 = 110,
    Check2,  // only where Windows does not play the session sounds itself
};
}

// Opens (or refills and brings up) the dialog. owner is the main window, which also owns the
// folder picker; switchtimer turns Timer1 on or off when OK stores a new interval.
void Showform2(HWND owner, std::function<void(bool on)> switchtimer);
// The dialog's window while it is open, else null.
HWND Form2();
// The dialog's face on this system: controls and their places in twips, client size.
const Windowlayout& Form2layout();
