// The shown event and its sound list: List2 is the editing buffer of (curapp, curevent) until it
// is saved, at the next switch of event or application, before a sound set is made, and at exit.
#include "form1parts.h"

#include "commands.h"
#include "form1.h"
#include "keylist.h"
#include "listbox.h"
#include "listedit.h"
#include "listfiles.h"
#include "pickers.h"
#include "convertedcopies.h"
#include "listedsounds.h"
#include "soundfolders.h"
#include "changer.h"
#include "player.h"
#include "registry.h"
#include "schemetable.h"
#include "selection.h"
#include "sessionsounds.h"
#include "settings.h"

namespace {
using namespace form1;

HWND Item(int id)
{
    return Form1item(id);
}

void Tell(const std::wstring& text)
{
    Showmessage(Form1(), text, form1caption, MB_OK | MB_ICONWARNING);
}

// The editing buttons act only on a shown event; "追加" also waits while the list is full, so
// the user sees why nothing more can be added.
void Updateeditbuttons()
{
    bool shown = Validevent(curapp, curevent);
    HWND add = Item(Command5);
    bool canadd = Canadd(Item(List2));
    if (!canadd && GetFocus() == add) SetFocus(Item(List2));
    EnableWindow(add, canadd);
    EnableWindow(Item(Command6), shown);
    EnableWindow(Item(Command7), shown);
    Fitlist2();
}

// The frame of the current sound tells, for the sounds of logon, logoff and shut-down, who plays
// them where Windows no longer does.
std::wstring Frame1caption()
{
    std::wstring caption = L"現在のサウンド";
    if (Windowsplayssessionsounds() || !Issessionevent(curapp, curevent)) return caption;
    return caption + (sessionsounds ? L"（このサウンドは Kvx が鳴らします）" : L"（Windows 8 以降の Windows は鳴らしません）");
}

// An addition lets messages through while its sounds convert and while it tells what it refused:
// it runs as a command does, so that no command starts and no close comes in its middle. Files
// refused or left out are named in one message.
void Add(const std::function<Additions()>& addition)
{
    Runalone([&addition] {
        Additions additions = addition();
        Updateeditbuttons();
        std::wstring note = Additionnote(additions);
        // At the end of the session the window may be gone by now, and no one there to read it.
        if (!note.empty() && Form1()) Tell(note);
    });
}

// Files copied in Explorer (Ctrl+C) and pasted onto List2 (Ctrl+V) are added as a drop adds them.
void OnList2paste()
{
    std::vector<std::wstring> pasted = Pastedsounds(Form1(), GetKeyState(VK_SHIFT) < 0);
    Add([&pasted] { return Appendsounds(Item(List2), pasted); });
}
}

// Whether List2 shows the list as saved. A row ends at a NUL: what was loaded is compared as the
// rows hold it, so that a file of odd bytes nobody edited is never taken for edited.
bool Shownassaved()
{
    std::vector<std::wstring> saved = Savedsounds(curapp, curevent);
    for (std::wstring& entry : saved) entry = Cutnull(entry);
    return Listrows(Item(List2)) == saved;
}

// A list nobody edited is never rewritten. When its file could not all be read, the user is
// asked first whether to drop what was not read; with no one to ask (the end of the session, a
// script) the file stays as it is.
bool Savelist(bool canask)
{
    if (!Form1() || !Validevent(curapp, curevent) || Shownassaved()) return true;
    std::vector<std::wstring> rows = Listrows(Item(List2));
    std::wstring unread = Unreadnote(curapp, curevent);
    if (!unread.empty()) {
        std::wstring question = L"このサウンドリストのファイルには読み込めなかった部分（" + unread +
                                L"）があります。\r\n保存するとその部分は失われます。保存しますか？\r\n\r\n"
                                L"「いいえ」を選ぶとファイルは元のまま残り、この変更は保存されません。";
        if (!canask ||
            Showmessage(Form1(), question, form1caption, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
            return true;
    }
    return Savedata(curapp, curevent, rows);
}

// When the list cannot be stored (a folder that cannot be written, a list file another program
// holds), a person is told and the event stays shown, so the edits in List2 are not lost.
bool Saveshownlist(bool person)
{
    if (Savelist(person)) return true;
    if (person)
        Tell(L"サウンドリストを保存できませんでした。\r\nプログラムのフォルダーに書き込めるか確かめてください。");
    return false;
}

void Showcurrentline()
{
    if (!Form1()) return;
    Showcurrent(Item(regbox1), Item(regbox2), curapp, curevent);
    std::wstring caption = Frame1caption();
    wchar_t shown[128] = {};
    GetWindowTextW(Item(Frame1), shown, 128);
    if (caption != shown) SetWindowTextW(Item(Frame1), caption.c_str());
}

void Showshownevent()
{
    // A list saved on the way may have become empty or not: its event's row is drawn anew.
    InvalidateRect(Item(List1), nullptr, TRUE);
    Showsounds(Item(List2), curapp, curevent);
    Updateeditbuttons();
    Showcurrentline();
}

// A list whose file could not be read whole, kept as it is, keeps its edits: an import leaves it
// alone.
int Importandshow(const std::function<int()>& import)
{
    bool shownassaved = !Form1() || Shownassaved();
    int result = import();
    if (!Form1()) return result;
    if (shownassaved)
        Showshownevent();
    else
        InvalidateRect(Item(List1), nullptr, TRUE);
    return result;
}

// Shows another application, at its event 0, from the table: its list files are not read again.
void OnCombo1click()
{
    if (curapp != 0 && !Saveshownlist(true)) {
        SendMessageW(Item(Combo1), CB_SETCURSEL, WPARAM(curapp - 1), 0);
        return;
    }
    curapp = int16_t(SendMessageW(Item(Combo1), CB_GETCURSEL, 0, 0) + 1);
    curevent = 0;
    Showevents(Item(List1), curapp);
    Showshownevent();
}

// Shows another event, its list read again from its file.
void OnList1click()
{
    LRESULT row = SendMessageW(Item(List1), LB_GETCURSEL, 0, 0);
    if (row == LB_ERR) return;
    if (!Saveshownlist(true)) {
        SendMessageW(Item(List1), LB_SETCURSEL, WPARAM(curevent), 0);
        return;
    }
    curevent = int16_t(row);
    Loaddata(curapp, curevent);
    Showshownevent();
}

void OnList2dblclick()
{
    LRESULT row = SendMessageW(Item(List2), LB_GETCURSEL, 0, 0);
    if (row == LB_ERR) return;
    // Played while the window goes on, as Windows would play it; a file that cannot play, or
    // whose copy is not made yet (drawn grey), sounds nothing.
    if (std::optional<std::wstring> played = Playedentry(Listrow(Item(List2), int(row)))) Startsound(*played);
}

// Enter, which the dialog keys send as IDOK: on the sound list it plays the selected sound.
void OnEnter()
{
    if (GetFocus() == Item(List2)) OnList2dblclick();
}

void OnCommand5click()
{
    Add([] { return Addsound(Form1(), Item(List2)); });
}

void OnAddfolder()
{
    Add([] { return Addfolder(Form1(), Item(List2)); });
}

void OnCommand6click()
{
    Removesound(Item(List2));
    Updateeditbuttons();
}

void OnCommand7click()
{
    if (Makecurrent(Item(List2)) == Outcome::failed) {
        LRESULT row = SendMessageW(Item(List2), LB_GETCURSEL, 0, 0);
        std::wstring path = Listrow(Item(List2), int(row));
        Soundcopy copy = Copyfor(path);
        Tell(Isfolderentry(path)                ? L"このフォルダーには、今使えるサウンドがありません。\r\n" + path
             : copy.state == Copystate::missing ? L"サウンドファイルが見つかりません。\r\n" + path
             : copy.state == Copystate::refused ? L"このファイルは使えません（" + Refusaltext(copy.refused) + L"）。\r\n" + path
             : copy.state == Copystate::pending ? L"このサウンドはまだ変換されていません。\r\n" + path
                                                : L"現在のサウンドを変更できませんでした。");
    }
    Showcurrentline();
}

// Delete removes the selected sound, Ctrl+V pastes; the list handles the rest itself (-1).
LRESULT OnList2key(UINT key)
{
    if (key == VK_DELETE) {
        OnCommand6click();
        return -2;
    }
    if (key == 'V' && GetKeyState(VK_CONTROL) < 0) {
        OnList2paste();
        return -2;
    }
    return -1;
}

// Files dragged from Explorer onto List2 are added as "追加" would add them.
void OnDropfiles(HDROP drop)
{
    POINT at{};
    DragQueryPoint(drop, &at);
    RECT list{};
    GetWindowRect(Item(List2), &list);
    MapWindowPoints(nullptr, Form1(), reinterpret_cast<POINT*>(&list), 2);
    // With Shift held a folder is listed as a folder entry, which brings tomorrow's sounds too.
    std::vector<std::wstring> dropped;
    if (PtInRect(&list, at)) dropped = Droppedsounds(drop, GetKeyState(VK_SHIFT) < 0);
    DragFinish(drop);
    Add([&dropped] { return Appendsounds(Item(List2), dropped); });
}
