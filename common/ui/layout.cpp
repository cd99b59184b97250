#include "layout.h"

#include <commctrl.h>

#include <algorithm>
#include <string_view>
#include <iterator>

namespace {
constexpr int twipsperinch = 1440;

const Controlspec* Findspec(std::span<const Controlspec> table, int id)
{
    for (const Controlspec& row : table)
        if (row.id == id) return &row;
    return nullptr;
}

// Sizes a label to its text in font.
void Fittext(HWND control, HFONT font)
{
    wchar_t text[64] = {};
    int length = GetWindowTextW(control, text, int(std::size(text)));
    Memorydc dc(CreateCompatibleDC(nullptr));
    Selectedobject selected(dc.get(), font);
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), text, length, &size);
    SetWindowPos(control, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UINT Systemdpi()
{
    Windowdc screen(nullptr);
    int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    return dpi > 0 ? UINT(dpi) : 96;
}
}

int Twipstopx(int twips, UINT dpi)
{
    return MulDiv(twips, int(dpi), twipsperinch);
}

RECT Topixels(const Twipsrect& place, UINT dpi)
{
    int left = Twipstopx(place.left, dpi);
    int top = Twipstopx(place.top, dpi);
    // Right and bottom edges are scaled themselves so that neighbours stay flush.
    return RECT{left, top, Twipstopx(place.left + place.width, dpi), Twipstopx(place.top + place.height, dpi)};
}

UINT Windowdpi(HWND window)
{
    // GetDpiForWindow exists from Windows 10 1607 on; older systems have one DPI for all.
    using Getdpiforwindow = UINT(WINAPI*)(HWND);
    static const auto getdpi = reinterpret_cast<Getdpiforwindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    UINT dpi = getdpi && window ? getdpi(window) : 0;
    return dpi ? dpi : Systemdpi();
}

Twipsrect Windowplace(std::span<const Controlspec> table, const Controlspec& row)
{
    Twipsrect place = row.place;
    for (const Controlspec* outer = Findspec(table, row.container); outer; outer = Findspec(table, outer->container)) {
        place.left += outer->place.left;
        place.top += outer->place.top;
    }
    return place;
}

void Createcontrols(HWND parent, std::span<const Controlspec> table, UINT dpi, HFONT font)
{
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    for (const Controlspec& row : table) {
        RECT r = Topixels(Windowplace(table, row), dpi);
        HWND control = CreateWindowExW(0, row.classname, row.text, WS_CHILD | WS_VISIBLE | row.style, r.left, r.top,
                                       r.right - r.left, r.bottom - r.top, parent,
                                       reinterpret_cast<HMENU>(INT_PTR(row.id)), instance, nullptr);
        if (control && font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}

void Placecontrols(HWND parent, std::span<const Controlspec> table, UINT dpi)
{
    for (const Controlspec& row : table) {
        RECT r = Topixels(Windowplace(table, row), dpi);
        if (HWND control = GetDlgItem(parent, row.id))
            SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Sizeclient(HWND window, int width, int height, UINT dpi)
{
    RECT r{0, 0, Twipstopx(width, dpi), Twipstopx(height, dpi)};
    DWORD style = DWORD(GetWindowLongPtrW(window, GWL_STYLE));
    DWORD exstyle = DWORD(GetWindowLongPtrW(window, GWL_EXSTYLE));
    BOOL menu = GetMenu(window) != nullptr;
    // The frame and caption of a window drawn at its monitor's DPI grow with it; AdjustWindowRectEx
    // knows only the system's, which is right for a window that is not drawn per monitor.
    using Adjustfordpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjust = reinterpret_cast<Adjustfordpi>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
    if (!adjust || Windowdpi(window) != dpi || !adjust(&r, style, menu, exstyle, dpi))
        AdjustWindowRectEx(&r, style, menu, exstyle);
    SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT Createuifont(UINT dpi)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTW font = metrics.lfMessageFont;
    // The metrics are given for the system DPI; scale them to the window's.
    font.lfHeight = MulDiv(font.lfHeight, int(dpi), int(Systemdpi()));
    return CreateFontIndirectW(&font);
}

HFONT Createpointfont(const wchar_t* face, int points, bool bold, UINT dpi)
{
    return CreateFontW(-MulDiv(points, int(dpi), 72), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
}

int Rowheight(HFONT font)
{
    Memorydc dc(CreateCompatibleDC(nullptr));
    Selectedobject selected(dc.get(), font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.get(), &metrics);
    return metrics.tmHeight + 2;
}

void Applyfonts(HWND parent, std::span<const Controlspec> table, std::span<const int> headings, UINT dpi,
                Windowfonts& fonts)
{
    Windowfonts next{Fonthandle(Createuifont(dpi)), Fonthandle(Createpointfont(L"ＭＳ Ｐゴシック", 9, true, dpi)), {}};
    LOGFONTW bold{};
    GetObjectW(next.ui.get(), sizeof bold, &bold);
    bold.lfWeight = FW_BOLD;
    next.bold.reset(CreateFontIndirectW(&bold));
    for (const Controlspec& row : table) {
        HWND control = GetDlgItem(parent, row.id);
        bool heading = std::find(headings.begin(), headings.end(), row.id) != headings.end();
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(heading ? next.heading.get() : next.ui.get()), TRUE);
        if (heading) Fittext(control, next.heading.get());
        if (row.classname == std::wstring_view(WC_LISTBOXW) && (row.style & LBS_OWNERDRAWFIXED))
            SendMessageW(control, LB_SETITEMHEIGHT, 0, Rowheight(next.ui.get()));
    }
    fonts = std::move(next);
}
