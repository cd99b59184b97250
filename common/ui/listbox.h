// Reading and filling list boxes by rows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// One row of a list box; empty when there is no such row.
std::wstring Listrow(HWND list, int row);
// The list box rows, in order.
std::vector<std::wstring> Listrows(HWND list);
// Replaces the rows of a list box (or, with combo true, a combo box) with rows.
void Fillrows(HWND list, const std::vector<std::wstring>& rows, bool combo = false);
// Fills a list box with the display texts of application a's events, row k = event k.
void Showevents(HWND list, int16_t a);
