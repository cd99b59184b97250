#include "layoutcheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {
RECT Placeof(HWND window, int id)
{
    RECT r{};
    GetWindowRect(GetDlgItem(window, id), &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Whether outer is the frame of inner, or the frame of its frame.
bool Holds(std::span<const Controlspec> table, int outer, int inner)
{
    for (int at = inner; at != 0;) {
        auto row = std::find_if(table.begin(), table.end(), [at](const Controlspec& c) { return c.id == at; });
        if (row == table.end()) return false;
        at = row->container;
        if (at == outer) return true;
    }
    return false;
}

SIZE Textsize(HWND control)
{
    wchar_t text[128] = {};
    int length = GetWindowTextW(control, text, 128);
    HDC dc = GetDC(control);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text, length, &size);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return size;
}
}

void Changewindowdpi(HWND window, UINT dpi)
{
    RECT suggested{};
    GetWindowRect(window, &suggested);
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

void Checklayout(HWND window, const Windowlayout& layout, UINT dpi, std::span<const std::pair<int, int>> mayoverlap)
{
    SCOPED_TRACE(testing::Message() << dpi << " dpi");
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, MulDiv(layout.clientwidth, int(dpi), 1440));
    EXPECT_EQ(client.bottom, MulDiv(layout.clientheight, int(dpi), 1440));
    for (const Controlspec& row : layout.controls) {
        SCOPED_TRACE(testing::Message() << "control " << row.id);
        RECT r = Placeof(window, row.id);
        EXPECT_GT(r.right - r.left, 0);
        EXPECT_GT(r.bottom - r.top, 0);
        EXPECT_TRUE(Inside(r, client));
        if (row.container) {
            EXPECT_TRUE(Inside(r, Placeof(window, row.container))) << "outside its frame";
        }
        for (const Controlspec& other : layout.controls) {
            if (other.id <= row.id || Holds(layout.controls, row.id, other.id) ||
                Holds(layout.controls, other.id, row.id))
                continue;
            bool allowed = std::any_of(mayoverlap.begin(), mayoverlap.end(), [&](const std::pair<int, int>& p) {
                return (p.first == row.id && p.second == other.id) || (p.first == other.id && p.second == row.id);
            });
            RECT ro = Placeof(window, other.id);
            RECT common{};
            EXPECT_TRUE(allowed || !IntersectRect(&common, &r, &ro)) << "overlaps control " << other.id;
        }
    }
    // No label clips its text: as tall as a line of its font, as wide as what it says.
    for (const Controlspec& row : layout.controls) {
        HWND control = GetDlgItem(window, row.id);
        wchar_t classname[16] = {};
        GetClassNameW(control, classname, 16);
        if (CompareStringOrdinal(classname, -1, L"Static", -1, TRUE) != CSTR_EQUAL) continue;
        SCOPED_TRACE(testing::Message() << "label " << row.id);
        RECT r = Placeof(window, row.id);
        HDC dc = GetDC(control);
        HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, previous);
        ReleaseDC(control, dc);
        EXPECT_GE(r.bottom - r.top, metrics.tmHeight);
        EXPECT_GE(r.right - r.left, Textsize(control).cx);
    }
    // No check box clips its text: the box and its text fit on one line, or, for one of several
    // lines, the text wrapped to its width fits its height.
    for (const Controlspec& row : layout.controls) {
        HWND control = GetDlgItem(window, row.id);
        wchar_t classname[16] = {};
        GetClassNameW(control, classname, 16);
        LONG style = LONG(GetWindowLongPtrW(control, GWL_STYLE));
        LONG type = style & BS_TYPEMASK;
        if (CompareStringOrdinal(classname, -1, L"Button", -1, TRUE) != CSTR_EQUAL ||
            (type != BS_CHECKBOX && type != BS_AUTOCHECKBOX))
            continue;
        SCOPED_TRACE(testing::Message() << "check box " << row.id);
        RECT r = Placeof(window, row.id);
        wchar_t text[256] = {};
        int length = GetWindowTextW(control, text, 256);
        HDC dc = GetDC(control);
        HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        // The box and the gap after it, generously.
        RECT room{0, 0, r.right - r.left - MulDiv(18, int(dpi), 96), 0};
        UINT flags = DT_CALCRECT | DT_NOPREFIX | ((style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE);
        DrawTextW(dc, text, length, &room, flags);
        SelectObject(dc, previous);
        ReleaseDC(control, dc);
        EXPECT_LE(room.right, r.right - r.left - MulDiv(18, int(dpi), 96)) << "the text is wider than its box";
        EXPECT_LE(room.bottom, r.bottom - r.top) << "the text is taller than its box";
    }
    for (int id : layout.headings) {
        SCOPED_TRACE(testing::Message() << "heading " << id);
        HWND control = GetDlgItem(window, id);
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_STREQ(font.lfFaceName, L"ＭＳ Ｐゴシック");
        EXPECT_EQ(font.lfWeight, FW_BOLD);
        EXPECT_EQ(font.lfHeight, -MulDiv(9, int(dpi), 72));
        RECT r = Placeof(window, id);
        SIZE text = Textsize(control);
        EXPECT_GE(r.right - r.left, text.cx);
        EXPECT_GE(r.bottom - r.top, text.cy);
    }
}
