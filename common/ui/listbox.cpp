#include "listbox.h"

#include "keylist.h"

std::wstring Listrow(HWND list, int row)
{
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, WPARAM(row), 0);
    if (length == LB_ERR) return {};
    std::wstring text(size_t(length) + 1, L'\0');
    LRESULT got = SendMessageW(list, LB_GETTEXT, WPARAM(row), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == LB_ERR ? 0 : size_t(got));
    return text;
}

std::vector<std::wstring> Listrows(HWND list)
{
    std::vector<std::wstring> rows;
    LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (int k = 0; k < int(count); ++k) rows.push_back(Listrow(list, k));
    return rows;
}

void Fillrows(HWND list, const std::vector<std::wstring>& rows, bool combo)
{
    // Drawn once at the end, with room made for every row at once: a tree of a thousand
    // applications fills in one go.
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
    size_t chars = 0;
    for (const std::wstring& row : rows) chars += row.size() + 1;
    SendMessageW(list, combo ? CB_INITSTORAGE : LB_INITSTORAGE, rows.size(), chars * sizeof(wchar_t));
    for (const std::wstring& row : rows)
        SendMessageW(list, combo ? CB_ADDSTRING : LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void Showevents(HWND list, int16_t a)
{
    std::vector<std::wstring> rows;
    if (a >= 1 && size_t(a) < apps.size())
        for (int16_t k = 0; k <= apps[size_t(a)].last; ++k) rows.push_back(Eventtext(a, k));
    Fillrows(list, rows);
}
