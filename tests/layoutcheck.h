// What every window's layout must hold at any DPI, checked on the real window.
#pragma once

#include "window.h"

#include <windows.h>

#include <span>
#include <utility>

// Moves the window to dpi as Windows does when it reaches a monitor of another DPI.
void Changewindowdpi(HWND window, UINT dpi);
// The client area is the layout's size at dpi; every control has a size and lies inside the
// client area and inside its frame; headings show their whole text in the bold 9-point heading
// font; no two controls overlap, but for a frame and what it holds and the pairs in mayoverlap.
void Checklayout(HWND window, const Windowlayout& layout, UINT dpi, std::span<const std::pair<int, int>> mayoverlap);
