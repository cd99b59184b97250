// Copies the selected part of the scheme table into the main window's lists and labels.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Fills the list box with Savedsounds(a, e).
void Showsounds(HWND list, int16_t a, int16_t e);
// The current-sound line: the event's display text and its .Current value; both empty for an
// event that does not exist.
void Showcurrent(HWND regbox1, HWND regbox2, int16_t a, int16_t e);
