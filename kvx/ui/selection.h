// Copies the selected part of the scheme table into the main window's lists and labels.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The saved list of event e of application a: as many entries as its count as last loaded or
// saved (the stored count). Empty for an event that does not exist.
std::vector<std::wstring> Savedsounds(int16_t a, int16_t e);
// Fills the list box with Savedsounds(a, e).
void Showsounds(HWND list, int16_t a, int16_t e);
// The current-sound line: the event's display text and its .Current value; both empty for an
// event that does not exist.
void Showcurrent(HWND regbox1, HWND regbox2, int16_t a, int16_t e);
