// The sound list's context menu (a right click, Shift+F10 or the context-menu key): adding a
// sound or a folder, and the selected row's playing, making current, removal and place in
// Explorer.
#include "form1parts.h"

#include "form1.h"
#include "listbox.h"
#include "pickers.h"
#include "uihandles.h"

namespace {
using namespace form1;

struct Menuitem {
    int id;
    const wchar_t* text;
    bool onrow;  // acts on the selected row
};
const Menuitem items[] = {
    {mAddsound, L"サウンドを追加...", false}, {mAddfolder, L"フォルダーを追加...", false},
    {0, nullptr, false},                       {mPlay, L"再生", true},
    {mChange, L"変更", true},                  {mRemove, L"削除", true},
    {0, nullptr, false},                       {mShowinexplorer, L"エクスプローラーで表示", true},
};

void OnShowinexplorer()
{
    HWND list = Form1item(List2);
    LRESULT row = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (row != LB_ERR) Showinexplorer(Listrow(list, int(row)));
}

// The point it opens at: the mouse's, or from the keyboard (-1, -1) the selected row's corner.
POINT Menupoint(HWND list, LPARAM at)
{
    POINT point{short(LOWORD(at)), short(HIWORD(at))};
    if (at != -1) {
        // A right click selects the row under it first, as Explorer does.
        POINT client = point;
        ScreenToClient(list, &client);
        LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(client.x, client.y));
        if (HIWORD(hit) == 0) SendMessageW(list, LB_SETCURSEL, LOWORD(hit), 0);
        return point;
    }
    RECT row{};
    LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR || SendMessageW(list, LB_GETITEMRECT, WPARAM(selected), reinterpret_cast<LPARAM>(&row)) == LB_ERR)
        GetClientRect(list, &row);
    point = {row.left + 8, row.bottom};
    ClientToScreen(list, &point);
    return point;
}
}

void OnList2contextmenu(LPARAM at)
{
    HWND list = Form1item(List2);
    POINT point = Menupoint(list, at);
    bool selected = SendMessageW(list, LB_GETCURSEL, 0, 0) != LB_ERR;
    bool canadd = IsWindowEnabled(Form1item(Command5)) != FALSE;
    Menuhandle menu(CreatePopupMenu());
    for (const Menuitem& item : items) {
        if (item.id == 0) {
            AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
            continue;
        }
        bool enabled = item.onrow ? selected : canadd;
        AppendMenuW(menu.get(), MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), UINT_PTR(item.id), item.text);
    }
    switch (Showpopupmenu(Form1(), menu.get(), point)) {
    case mAddsound: OnCommand5click(); break;
    case mAddfolder: OnAddfolder(); break;
    case mPlay: OnList2dblclick(); break;
    case mChange: OnCommand7click(); break;
    case mRemove: OnCommand6click(); break;
    case mShowinexplorer: OnShowinexplorer(); break;
    default: break;
    }
}
