// The rows the main window draws itself: events whose list holds sounds in bold, the sounds Kvx
// plays itself with a note, files that cannot be heard in grey; and the current-sound line, whose
// long path loses its middle, never its file name.
#include "form1parts.h"

#include "form1.h"
#include "keylist.h"
#include "listbox.h"
#include "listedsounds.h"
#include "soundfolders.h"
#include "schemetable.h"
#include "sessionsounds.h"
#include "uihandles.h"

#include <algorithm>

namespace {
using namespace form1;

void Drawpath(const DRAWITEMSTRUCT& item)
{
    wchar_t text[1024] = {};
    int length = GetWindowTextW(item.hwndItem, text, 1024);
    RECT r = item.rcItem;
    FillRect(item.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(COLOR_WINDOWTEXT));
    Selectedobject font(item.hDC, Form1fonts().ui.get());
    DrawTextW(item.hDC, text, length, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_PATH_ELLIPSIS);
}
}

void Fitlist2()
{
    HWND list = Form1item(List2);
    int widest = 0;
    {
        Windowdc dc(list);
        Selectedobject font(dc.get(), Form1fonts().ui.get());
        for (const std::wstring& row : Listrows(list)) {
            SIZE size{};
            GetTextExtentPoint32W(dc.get(), row.c_str(), int(row.size()), &size);
            widest = std::max<int>(widest, size.cx);
        }
    }
    SendMessageW(list, LB_SETHORIZONTALEXTENT, WPARAM(widest + 8), 0);
}

void OnDrawitem(const DRAWITEMSTRUCT& item)
{
    if (item.CtlID == UINT(regbox2)) return Drawpath(item);
    HDC dc = item.hDC;
    bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID != UINT(-1)) {
        std::wstring text = Listrow(item.hwndItem, int(item.itemID));
        // A folder row says how many sounds the folder holds now, or why it has none.
        bool folder = item.CtlID == UINT(List2) && Isfolderentry(text);
        std::shared_ptr<const Folderlisting> listing = folder ? Listfolder(text) : nullptr;
        bool bold = item.CtlID == UINT(List1) && soundlists.Count(curapp, int16_t(item.itemID)) > 0;
        // A file that cannot play, or whose copy is not made yet, is drawn like a missing one:
        // none of them is heard now.
        bool missing = item.CtlID == UINT(List2) && (folder ? listing->names.empty() : !Playedfile(text));
        if (folder) text += Foldernote(*listing);
        bool kvxplays = item.CtlID == UINT(List1) && !Windowsplayssessionsounds() &&
                        Issessionevent(curapp, int16_t(item.itemID));
        // The mode and colour are the row's own: every row sets them anew.
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(missing ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        Selectedobject font(dc, bold ? Form1fonts().bold.get() : Form1fonts().ui.get());
        RECT r = item.rcItem;
        r.left += 2;
        DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        // The sounds Kvx plays itself carry a note at the row's end, outside its text.
        if (kvxplays) {
            r.right -= 4;
            DrawTextW(dc, L"♪", 1, &r, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
        }
    }
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &item.rcItem);
}
