// The skeleton every window of both programs is built on: its class with the program icon, its
// layout record, the placing of its controls for a DPI, the heading colours and the table that
// routes control notifications to handlers.
#pragma once

#include "layout.h"
#include "tooltips.h"

#include <windows.h>

#include <span>

// Everything fixed about a window's face. Controls are listed in tab order; the headings are
// drawn in the heading font and colours and sized to their text.
struct Windowlayout {
    std::span<const Controlspec> controls;
    std::span<const int> headings;
    std::span<const Tooltiprow> tooltips;
    int clientwidth;   // twips
    int clientheight;  // twips
};

// Heading k of a window is drawn in headingcolours[k]: teal for the left list, pink for the right.
inline constexpr COLORREF headingcolours[] = {RGB(0, 128, 128), RGB(255, 70, 131)};

// Registers a window class with the program icon. A second registration of the same name is
// harmless: the class stays as first registered. False when the class does not exist afterwards.
bool Registerwindowclass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure);
// The program icon at the small-icon size, shared: the system frees it.
HICON Smallicon(HINSTANCE instance);

// At WM_CREATE: sizes the client area, creates the controls, their fonts and their tooltips for
// the window's DPI.
void Buildwindow(HWND window, const Windowlayout& layout, Windowfonts& fonts);
// WM_DPICHANGED: the window moves where the system suggests and everything is placed and
// lettered again for the new DPI (wparam carries it).
void Changedpi(HWND window, const Windowlayout& layout, Windowfonts& fonts, WPARAM wparam, LPARAM lparam);
// WM_CTLCOLORSTATIC: headings in their colours, every label on the face colour.
LRESULT Colorstatic(HWND window, const Windowlayout& layout, HDC dc, HWND control);

// One row of a window's notification table: what control id and code run which handler.
struct Commandroute {
    int id;
    WORD code;
    void (*handler)();
};
// Runs the handler of (id, code); false when the table has none.
bool Routecommand(std::span<const Commandroute> routes, int id, WORD code);
