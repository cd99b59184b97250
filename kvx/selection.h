// Copies the selected part of the scheme table into the main window's lists and labels.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// One row of a list box; empty when there is no such row.
std::wstring Listrow(HWND list, int row);
// The list box rows, in order.
std::vector<std::wstring> Listrows(HWND list);
// Fills the list box with the saved list of event e of application a: as many rows as the
// stored count says. Empty for an event that does not exist.
void Showsounds(HWND list, int16_t a, int16_t e);
// The current-sound line: the event's display text and its .Current value; both empty for an
// event that does not exist.
void Showcurrent(HWND regbox1, HWND regbox2, int16_t a, int16_t e);
