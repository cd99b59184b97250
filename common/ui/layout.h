// Window layout from tables in twips (1/1440 inch), scaled to pixels by the window's DPI here
// and nowhere else.
#pragma once

#include "uihandles.h"

#include <windows.h>

#include <cstddef>
#include <span>

struct Twipsrect {
    int left, top, width, height;
};

// One child control. Tables list controls in tab order; creation follows the table.
struct Controlspec {
    int id;
    const wchar_t* classname;
    const wchar_t* text;
    DWORD style;        // WS_CHILD | WS_VISIBLE are added
    int container;      // id of the frame the position is relative to, or 0 for the window
    Twipsrect place;    // relative to the container
};

int Twipstopx(int twips, UINT dpi);
RECT Topixels(const Twipsrect& place, UINT dpi);
// The DPI the window is drawn at (per monitor where the system supports it).
UINT Windowdpi(HWND window);
// Position of a control relative to the window's client area, in twips (frames add their own).
Twipsrect Windowplace(std::span<const Controlspec> table, const Controlspec& row);
// Creates the table's controls as children of parent, at their places for dpi, with font.
void Createcontrols(HWND parent, std::span<const Controlspec> table, UINT dpi, HFONT font);
// Moves the table's controls to their places for dpi (after a DPI change).
void Placecontrols(HWND parent, std::span<const Controlspec> table, UINT dpi);
// Sizes a window so that its client area is width x height twips at dpi, keeping its position.
void Sizeclient(HWND window, int width, int height, UINT dpi);
// The system's message font at dpi; the caller owns it.
HFONT Createuifont(UINT dpi);
// A font by face name and point size at dpi; the caller owns it.
HFONT Createpointfont(const wchar_t* face, int points, bool bold, UINT dpi);

// A window's fonts: the system's message font, and the bold "ＭＳ Ｐゴシック" 9 pt of its headings.
struct Windowfonts {
    Fonthandle ui;
    Fonthandle heading;
    Fonthandle bold;  // the message font in bold, for rows that stand out
};
// Height of a list row, or of a line of text, in font.
int Rowheight(HFONT font);
// Gives the table's controls their fonts for dpi; the controls listed in headings get the heading
// font and take the size of their text; owner-drawn list boxes get rows as tall as the font. The old fonts go only once no control uses them.
void Applyfonts(HWND parent, std::span<const Controlspec> table, std::span<const int> headings, UINT dpi,
                Windowfonts& fonts);
