#include "selection.h"

#include "keylist.h"
#include "registry.h"
#include "schemetable.h"

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

void Showsounds(HWND list, int16_t a, int16_t e)
{
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    if (!Validevent(a, e)) return;
    int16_t count = Readcount(a, e);
    for (int16_t k = 0; k < count; ++k)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(soundlists.Get(a, e, k).c_str()));
}

void Showcurrent(HWND regbox1, HWND regbox2, int16_t a, int16_t e)
{
    bool valid = Validevent(a, e);
    // The same text as row e of List1, which Showevents fills with Eventtext.
    SetWindowTextW(regbox1, valid ? Eventtext(a, e).c_str() : L"");
    SetWindowTextW(regbox2, valid ? Getregstr(HKEY_CURRENT_USER, Currentkey(a, e), L"").c_str() : L"");
}
