#include "form1.h"

#include "changer.h"
#include "form2.h"
#include "form3.h"
#include "handles.h"
#include "handover.h"
#include "keylist.h"
#include "listbox.h"
#include "listedit.h"
#include "autostart.h"
#include "listfiles.h"
#include "messagewait.h"
#include "originals.h"
#include "pickers.h"
#include "playable.h"
#include "registry.h"
#include "player.h"
#include "schemetable.h"
#include "selection.h"
#include "sessionsounds.h"
#include "setcommands.h"
#include "settings.h"
#include "soundsets.h"
#include "text.h"
#include "window.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <iterator>

namespace {
using namespace form1;

constexpr DWORD buttonstyle = WS_TABSTOP | BS_PUSHBUTTON;
// Owner-drawn rows that keep their text: LB_GETTEXT still gives the label or the path.
constexpr DWORD liststyle =
    WS_TABSTOP | WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
// The sound list tells its owner of its keys (WM_VKEYTOITEM): Delete and Ctrl+V act on it.
constexpr DWORD soundliststyle = liststyle | WS_HSCROLL | LBS_WANTKEYBOARDINPUT;
constexpr DWORD labelstyle = SS_LEFT | SS_NOPREFIX;
constexpr DWORD framestyle = BS_GROUPBOX | WS_CLIPSIBLINGS;

// Command8 comes first so that it lies above Combo1, whose drop-down arrow it covers; the tab
// order is a cycle, so Command8 still follows Combo1 and precedes List1. The frames come last and
// clip themselves around the controls drawn inside them.
const Controlspec layout[] = {
    {Command8, WC_BUTTONW, L"...", buttonstyle, Frame2, {9590, 265, 255, 255}},
    {List1, WC_LISTBOXW, L"", liststyle, 0, {120, 1080, 4935, 6000}},
    {List2, WC_LISTBOXW, L"", soundliststyle, 0, {5160, 1080, 4935, 6000}},
    {Command1, WC_BUTTONW, L"詳細設定", buttonstyle, 0, {120, 7800, 1215, 255}},
    {Command2, WC_BUTTONW, L"ﾊﾞｰｼﾞｮﾝ情報", buttonstyle, 0, {6240, 7800, 1455, 255}},
    {Command3, WC_BUTTONW, L"ﾀｽｸﾊﾞｰへ", buttonstyle, 0, {7920, 7800, 1215, 255}},
    {Command4, WC_BUTTONW, L"終了", buttonstyle, 0, {9240, 7800, 855, 255}},
    {Command5, WC_BUTTONW, L"追加", buttonstyle, 0, {7320, 720, 855, 255}},
    {Command6, WC_BUTTONW, L"削除", buttonstyle, 0, {8280, 720, 855, 255}},
    {Command7, WC_BUTTONW, L"変更", buttonstyle, 0, {9240, 720, 855, 255}},
    {Combo1, WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | WS_CLIPSIBLINGS | CBS_DROPDOWNLIST, Frame2,
     {120, 240, 9735, 300}},
    // Label1 and Label2 are then sized to their text (Applyfonts).
    {Label1, WC_STATICW, L"イベント", labelstyle, 0, {120, 840, 660, 180}},
    {Label2, WC_STATICW, L"サウンド", labelstyle, 0, {5160, 840, 690, 180}},
    {regbox1, WC_STATICW, L"", labelstyle | SS_ENDELLIPSIS, Frame1, {120, 210, 4620, 255}},
    {Label3, WC_STATICW, L"-", labelstyle, Frame1, {4920, 210, 135, 255}},
    // Drawn here, so that a long path loses its middle and keeps its file name in sight.
    {regbox2, WC_STATICW, L"", SS_OWNERDRAW | SS_NOPREFIX, Frame1, {5160, 210, 4665, 255}},
    {Frame2, WC_BUTTONW, L"アプリケーション", framestyle, 0, {120, 0, 9975, 615}},
    {Frame1, WC_BUTTONW, L"現在のサウンド", framestyle, 0, {120, 7200, 9975, 495}},
};

const Tooltiprow tooltips[] = {
    {Command5, L"サウンドをサウンドリストに追加します"},
    {Command6, L"選択したサウンドをリストから削除します"},
    {Command7, L"現在のサウンドを選択したサウンドに変更します"},
    {List2, L"ダブルクリックで再生します"},
    {Command1, L"変更する時間間隔などを設定します"},
};

// Label1 and Label2 are headings: teal and pink, sized to their text.
constexpr int headings[] = {Label1, Label2};

const Windowlayout form1layout{layout, headings, tooltips, clientwidth, clientheight};

// Keys of the whole window; accelerator commands carry the code 1.
constexpr WORD keycode = 1;
ACCEL keys[] = {
    {FVIRTKEY, VK_INSERT, Command5},
    {FVIRTKEY, VK_F5, Changekey},
};

struct Form1state {
    HWND window = nullptr;
    Acceleratorhandle keys;
    HWND lastfocus = nullptr;
    bool closing = false;
    // While the end of the session waits for its sound.
    bool endingsound = false;
    // While a sound set is written or read from the menu (its questions let messages through):
    // no second one starts, nothing is handed over, and a close waits for its end.
    bool busy = false;
    bool closepending = false;
    Windowfonts fonts;
    UINT showmessage = 0;
};
Form1state state;

HWND Item(int id)
{
    return GetDlgItem(state.window, id);
}

constexpr wchar_t savefailed[] =
    L"サウンドリストを保存できませんでした。\r\nプログラムのフォルダーに書き込めるか確かめてください。";

// The shown list, from its editing buffer List2, when the user changed it: a list nobody edited
// is never rewritten. When its file could not all be read, the user is asked first whether to
// drop what was not read; with no one to ask (the end of the session) the file stays as it is.
// False when the list could not be stored.
// Whether List2 shows the list as saved. A row ends at a NUL: what was loaded is compared as the
// rows hold it, so that a file of odd bytes nobody edited is never taken for edited.
bool Shownassaved()
{
    std::vector<std::wstring> saved = Savedsounds(curapp, curevent);
    for (std::wstring& entry : saved) entry = Cutnull(entry);
    return Listrows(Item(List2)) == saved;
}

bool Savelist(bool canask)
{
    if (!Validevent(curapp, curevent)) return true;
    if (Shownassaved()) return true;
    std::vector<std::wstring> rows = Listrows(Item(List2));
    std::wstring unread = Unreadnote(curapp, curevent);
    if (!unread.empty()) {
        std::wstring question = L"このサウンドリストのファイルには読み込めなかった部分（" + unread +
                                L"）があります。\r\n保存するとその部分は失われます。保存しますか？\r\n\r\n"
                                L"「いいえ」を選ぶとファイルは元のまま残り、この変更は保存されません。";
        if (!canask ||
            Showmessage(state.window, question, form1caption, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
            return true;
    }
    return Savedata(curapp, curevent, rows);
}

// Before the shown event changes: when its list cannot be stored (a folder that cannot be written,
// a list file another program holds), the user is told and the event stays shown, so the edits
// in List2 are not lost.
bool Savebeforeswitch()
{
    if (Savelist(true)) return true;
    Showmessage(state.window, savefailed, form1caption, MB_OK | MB_ICONWARNING);
    return false;
}

// List2 scrolls sideways as far as its longest path reaches.
void Fitlist2()
{
    HWND list = Item(List2);
    HDC dc = GetDC(list);
    HGDIOBJ previous = SelectObject(dc, state.fonts.ui.get());
    int widest = 0;
    for (const std::wstring& row : Listrows(list)) {
        SIZE size{};
        GetTextExtentPoint32W(dc, row.c_str(), int(row.size()), &size);
        widest = std::max<int>(widest, size.cx);
    }
    SelectObject(dc, previous);
    ReleaseDC(list, dc);
    SendMessageW(list, LB_SETHORIZONTALEXTENT, WPARAM(widest + 8), 0);
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

void Showcurrentline()
{
    Showcurrent(Item(regbox1), Item(regbox2), curapp, curevent);
    std::wstring caption = Frame1caption();
    wchar_t shown[128] = {};
    GetWindowTextW(Item(Frame1), shown, 128);
    if (caption != shown) SetWindowTextW(Item(Frame1), caption.c_str());
}

// The list, the editing buttons and the current-sound line of (curapp, curevent).
void Showshownevent()
{
    // A list saved on the way may have become empty or not: its event's row is drawn anew.
    InvalidateRect(Item(List1), nullptr, TRUE);
    Showsounds(Item(List2), curapp, curevent);
    Updateeditbuttons();
    Showcurrentline();
}

// Imports as run, then shows what the shown list got, unless it held edits that were not saved
// (a list whose file could not be read whole, kept as it is), which an import leaves alone.
template <typename Import>
auto Importandshow(Import&& import)
{
    bool shownassaved = Shownassaved();
    auto result = import();
    if (shownassaved)
        Showshownevent();
    else
        InvalidateRect(Item(List1), nullptr, TRUE);
    return result;
}

// Shows another application, at its event 0, from the table: its list files are not read again.
void OnCombo1click()
{
    if (curapp != 0 && !Savebeforeswitch()) {
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
    if (!Savebeforeswitch()) {
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
    // Played while the window goes on; a file that cannot play (drawn grey) sounds nothing.
    Startsound(Listrow(Item(List2), int(row)));
}

void OnCommand1click()
{
    Showform2(state.window, [](bool on) {
        Settimer1(on);
        // The frame's note follows the setting of the session sounds.
        Showcurrentline();
    });
}

void OnCommand2click()
{
    Showmessage(state.window, L"Kivexa Ver.1.4", L"ﾊﾞｰｼﾞｮﾝ情報", MB_OK);
}

// Back to the notification area; the shown list is saved later, at the next switch or at exit.
void OnCommand3click()
{
    // Without an icon a hidden window could not be reached again.
    if (tuskicon1()) ShowWindow(state.window, SW_HIDE);
}

// Enter, which the dialog keys send as IDOK: on the sound list it plays the selected sound.
void OnEnter()
{
    if (GetFocus() == Item(List2)) OnList2dblclick();
}

void OnCommand4click()
{
    Unloadform1();
}

// Files refused or left out of an addition, named in one message.
void Telladditions(const Additions& additions)
{
    std::wstring note = Additionnote(additions);
    if (!note.empty()) Showmessage(state.window, note, form1caption, MB_OK | MB_ICONWARNING);
}

void OnCommand5click()
{
    Additions additions = Addsound(state.window, Item(List2));
    Updateeditbuttons();
    Telladditions(additions);
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
        Soundstate sound = Checksound(path);
        std::wstring why = sound == Soundstate::missing      ? L"サウンドファイルが見つかりません。\r\n" + path
                           : sound == Soundstate::unplayable ? L"このファイルは再生できる WAV ファイルではありません。\r\n" + path
                                                             : L"現在のサウンドを変更できませんでした。";
        Showmessage(state.window, why, form1caption, MB_OK | MB_ICONWARNING);
    }
    Showcurrentline();
}

// Files copied in Explorer (Ctrl+C) and pasted onto List2 (Ctrl+V) are added as a drop adds them.
void OnList2paste()
{
    Additions additions = Appendsounds(Item(List2), Pastedsounds(state.window));
    Updateeditbuttons();
    Telladditions(additions);
}

// Keys on the sound list: Delete removes the selected sound, Ctrl+V pastes; the list handles the
// rest itself (-1).
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

// WAV files dragged from Explorer onto List2 are added as "追加" would add them.
void OnDropfiles(HDROP drop)
{
    POINT at{};
    DragQueryPoint(drop, &at);
    RECT list{};
    GetWindowRect(Item(List2), &list);
    MapWindowPoints(nullptr, state.window, reinterpret_cast<POINT*>(&list), 2);
    Additions additions;
    if (PtInRect(&list, at)) additions = Appendsounds(Item(List2), Droppedsounds(drop));
    DragFinish(drop);
    Updateeditbuttons();
    Telladditions(additions);
}

void OnCommand8click()
{
    // Frame2 is drawn as a sibling group box: the combo's container is the window itself.
    Dropcombo(state.window, Item(Combo1));
}


// "終了" from the icon's menu or a close request to Form3. Posted: the main window's unload must
// not run inside the menu's own handler.
void Endfromtray()
{
    if (state.window) PostMessageW(state.window, WM_CLOSE, 0, 0);
}

// The icon's tooltip tells the state: the interval and the time of the next pass, the pause, or
// that nothing changes by itself.
std::wstring Traytip()
{
    if (paused) return L"KVX - 一時停止中";
    if (cinterval == 0) return L"KVX - 自動では変更しません";
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER at{{now.dwLowDateTime, now.dwHighDateTime}};
    at.QuadPart += ULONGLONG(Minutestonextpass()) * 60 * 10000000;  // in 100-ns units
    FILETIME next{at.LowPart, at.HighPart};
    SYSTEMTIME utc{}, local{};
    FileTimeToSystemTime(&next, &utc);
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    wchar_t text[64];
    std::swprintf(text, 64, L"KVX - %d 分ごとに変更（次回 %d:%02d）", std::max<int>(cinterval, 1), local.wHour,
                  local.wMinute);
    return text;
}

void Updatetip()
{
    Settraytip(Traytip());
}

// A setting changed from the icon's menu holds for this run either way; only a stored one
// holds for the next.
void Tellnotstored()
{
    Showmessage(state.window, L"設定を保存できませんでした。\r\n次に Kvx を起動したときには元に戻ります。",
                form1caption, MB_OK | MB_ICONWARNING);
}

void Storeflag(const wchar_t* name, int16_t value)
{
    if (!Savesetting(name, std::to_wstring(value))) Tellnotstored();
}

// Pauses (1) or resumes (0); false when the setting could not be stored.
bool Setpaused(int16_t value)
{
    paused = value;
    bool stored = Savesetting(L"paused", std::to_wstring(value));
    Updatetip();
    return stored;
}

void OnMchangeclick()
{
    Changenow();
    Showcurrentline();
    Updatetip();
}

void OnMpauseclick()
{
    if (!Setpaused(paused ? 0 : 1)) Tellnotstored();
}

void OnMstartupclick()
{
    if (!Setstartwithwindows(!Startswithwindows()))
        Showmessage(state.window, L"Windows の起動時に実行するかどうかを変更できませんでした。", form1caption,
                    MB_OK | MB_ICONWARNING);
}

void OnMnorepeatclick()
{
    norepeat = norepeat ? 0 : 1;
    Storeflag(L"norepeat", norepeat);
}

// Puts back the sounds the user had before Kvx, then pauses so that they stay. stored tells
// whether the pause was stored.
Restoreresult Restoreandpause(bool& stored)
{
    Restoreresult result = Restoreoriginals();
    stored = Setpaused(1);
    Showcurrentline();
    return result;
}

void OnMrestoreclick()
{
    if (Showmessage(state.window,
                    L"すべてのイベントのサウンドを、Kvx が変更する前のサウンドに戻します。\r\n"
                    L"戻した後、Kvx は一時停止します。よろしいですか？",
                    form1caption, MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) != IDOK)
        return;
    bool stored = true;
    Restoreresult result = Restoreandpause(stored);
    if (!stored) Tellnotstored();
    if (result.failed > 0)
        Showmessage(state.window,
                    std::to_wstring(result.failed) + L" 個のイベントのサウンドを元に戻せませんでした。\r\n"
                                                     L"もう一度「元のサウンドに戻す」を選んでください。",
                    form1caption, MB_OK | MB_ICONWARNING);
}

// A switch handed over by a Kvx.exe started with one: done as its menu item does it, without a
// question or a box (a script waits for the answer). Returns the exit code.
int Runhandedswitch(const Commandline& line)
{
    switch (line.what) {
    case Switch::change: {
        Passresult result = Changenow();
        Showcurrentline();
        Updatetip();
        return result.failed == 0 ? exitdone : exitfailed;
    }
    case Switch::pause:
    case Switch::resume: return Setpaused(line.what == Switch::pause ? 1 : 0) ? exitdone : exitfailed;
    case Switch::exit: Endfromtray(); return exitdone;
    case Switch::restore: {
        bool stored = true;
        return Restoreandpause(stored).failed == 0 && stored ? exitdone : exitfailed;
    }
    // A set holds the lists as saved: the shown one first (a list with parts that could not be
    // read stays as its file is, there being no one to ask).
    case Switch::exportset: return Savelist(false) ? Exportfromscript(line.folder) : exitfailed;
    case Switch::importset: {
        if (!Savelist(false)) return exitfailed;
        return Importandshow([&] { return Importfromscript(line.folder); });
    }
    case Switch::show:
    case Switch::logon:
    case Switch::none: Showform1(); return exitdone;
    default: return exitbadswitch;
    }
}

LRESULT OnCopydata(HWND sender, const COPYDATASTRUCT& data)
{
    std::optional<Commandline> line = Receivedswitch(sender, data);
    if (!line) return 0;
    return Handoveranswer(state.busy ? exitfailed : Runhandedswitch(*line));
}

// The sound-set commands of the menu, one at a time; a close asked for meanwhile comes after.
template <typename Command>
void Asbusy(Command&& command)
{
    if (state.busy) return;
    state.busy = true;
    command();
    state.busy = false;
    if (std::exchange(state.closepending, false)) PostMessageW(state.window, WM_CLOSE, 0, 0);
}

const Commandroute routes[] = {
    {Combo1, CBN_SELCHANGE, OnCombo1click},       {List1, LBN_SELCHANGE, OnList1click},
    {List2, LBN_DBLCLK, OnList2dblclick},         {Command1, BN_CLICKED, OnCommand1click},
    {Command2, BN_CLICKED, OnCommand2click},      {Command3, BN_CLICKED, OnCommand3click},
    {Command4, BN_CLICKED, OnCommand4click},      {Command5, BN_CLICKED, OnCommand5click},
    {Command6, BN_CLICKED, OnCommand6click},      {Command7, BN_CLICKED, OnCommand7click},
    {Command8, BN_CLICKED, OnCommand8click},
    // The keys: Enter and Esc as the dialog keys send them, Insert and F5 from the key table.
    {IDOK, BN_CLICKED, OnEnter},                  {IDCANCEL, BN_CLICKED, OnCommand3click},
    {Command5, keycode, OnCommand5click},         {Changekey, keycode, OnMchangeclick},
};

// The sound sets carry the lists as saved: the shown one is saved first.
void OnMexportclick()
{
    Asbusy([] {
        if (Savebeforeswitch()) Exportfromuser(state.window);
    });
}

void OnMimportclick()
{
    Asbusy([] {
        if (Savebeforeswitch()) Importandshow([] { return Importfromuser(state.window); });
    });
}

Trayactions Traymenu()
{
    using namespace form3;
    return Trayactions{
        {
            {mresize, L"元のサイズに戻す", Showform1, nullptr},
            {mchange, L"今すぐ変更", OnMchangeclick, nullptr},
            {mpause, L"一時停止", OnMpauseclick, [] { return paused != 0; }},
            {moption, L"詳細設定", OnCommand1click, nullptr},
            {mexport, L"サウンドセットを書き出す...", OnMexportclick, nullptr},
            {mimport, L"サウンドセットを読み込む...", OnMimportclick, nullptr},
            {mstartup, L"Windows の起動時に実行", OnMstartupclick, Startswithwindows},
            {mnorepeat, L"同じサウンドを続けない", OnMnorepeatclick, [] { return norepeat != 0; }},
            {mrestore, L"元のサウンドに戻す", OnMrestoreclick, nullptr},
            {0, nullptr, nullptr, nullptr},
            {mend, L"終了", Endfromtray, nullptr},
        },
        Endfromtray,
    };
}

// The load of Form1: builds the table, loads every list, shows application 1 in the hidden
// window, reads the settings, arms Timer1 and adds the icon. At logon it then plays the logon
// sound where Windows no longer does: after the start-up pass, so that the sound just picked is
// heard, and while the program goes on.
void Startup(bool logon)
{
    // Nothing stored yet: this user starts Kvx for the first time.
    bool firstuse = !Regkeyexists(HKEY_CURRENT_USER, settingskey);
    // Before the window listens to switches handed over.
    Publishhandover();
    Seedfromclock();
    ShowWindow(state.window, SW_HIDE);
    // Nothing is shown yet, so selecting the first application saves nothing.
    curapp = 0;
    curevent = 0;
    HWND combo = Item(Combo1);
    Fillrows(combo, Buildtable(), true);
    // Before any save of this run: a temporary file there now is one an earlier run left.
    Removeleftovers();
    Loadoriginals();
    Loadalllists();
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    OnCombo1click();
    bool timer = Loadsettings();
    Startuppass();
    Settimer1(timer);
    // At logon the shell may not be ready for the icon: Form3 keeps trying. Without Form3 there
    // will be no icon, and the window stays in sight instead.
    if (!Loadform3(Traymenu()))
        Showform1();
    else
        tuskicon1();
    Updatetip();
    // Windows 10 and 11 put a new icon out of sight: a new user is told once where Kvx is. At
    // logon nobody has just started it.
    if (firstuse && !logon && Getsetting(L"welcomed", L"") != L"1")
        Notifyonce(L"Kvx は通知領域で動いています。アイコンをダブルクリックすると設定画面が開きます。",
                   [] { Savesetting(L"welcomed", L"1"); });
    // After the settings: a change pass at start-up shows here.
    Showcurrentline();
    // Said once now rather than at every save later (a folder under Program Files, say).
    if (!Listfolderwritable())
        Showmessage(state.window,
                    L"Kvx のフォルダーに書き込めないため、サウンドリストを保存できません。\r\n" + listfolder +
                        L"\r\n\r\nKvx を書き込めるフォルダー（インストーラーの既定の %LOCALAPPDATA%\\Programs\\Kvx "
                        L"など）に置いてください。",
                    form1caption, MB_OK | MB_ICONWARNING);
    if (logon && Kvxplayssessionsounds()) Startsound(Sessionsoundfile(Sessionsound::logon));
}

// Windows asks whether the session may end. Where Windows no longer plays the logoff and
// shut-down sounds, Kvx plays them here and answers once the sound has ended (or the time given
// to it has passed), its windows answering meanwhile; Windows shows why it waits. Nothing plays
// while Kvx ends for another reason, or when the session goes on (programs closed by an
// installer) or ends critically.
LRESULT OnQueryendsession(LPARAM reason)
{
    if (state.closing || state.endingsound || state.busy) return TRUE;
    std::optional<Sessionsound> which = Endingsound(reason);
    if (!which) return TRUE;
    // Saved now, as WM_ENDSESSION would: a session that ends before its answer (the user's
    // "shut down anyway") never sends WM_ENDSESSION.
    Savelist(false);
    Kernelhandle playing = Startsound(Sessionsoundfile(*which));
    if (!playing) return TRUE;
    HWND window = state.window;
    state.endingsound = true;
    ShutdownBlockReasonCreate(window, L"サウンドを再生しています");
    if (!Waitwithmessages(playing.get(), sessionsoundlimit)) Stopsound();
    ShutdownBlockReasonDestroy(window);
    if (state.window == window) state.endingsound = false;
    return TRUE;
}

// The unload of Form1, on every path: exit button, menu, close box, end of the session. The
// program ends even when the shown list cannot be stored; the user is told so, except at the
// end of the session, when no one is there to answer a message.
void Shutdown(bool endofsession)
{
    // A question or a warning below lets messages through: a second close request (the icon's
    // 終了, the end of the session) must not start a second shut-down meanwhile.
    if (state.closing) return;
    state.closing = true;
    KillTimer(state.window, Timer1);
    tuskicon2();
    if (!Savelist(!endofsession) && !endofsession)
        Showmessage(state.window, savefailed, form1caption, MB_OK | MB_ICONWARNING);
    DestroyWindow(state.window);
}

void OnCreate(HWND window)
{
    state.window = window;
    state.keys.reset(CreateAcceleratorTableW(keys, int(std::size(keys))));
    Buildwindow(window, form1layout, state.fonts);
    DragAcceptFiles(window, TRUE);
}

void OnDestroy()
{
    KillTimer(state.window, Timer1);
    PostQuitMessage(0);
}

// The current-sound line: a long path loses its middle, never its file name.
void Drawpath(const DRAWITEMSTRUCT& item)
{
    wchar_t text[1024] = {};
    int length = GetWindowTextW(item.hwndItem, text, 1024);
    RECT r = item.rcItem;
    FillRect(item.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
    int mode = SetBkMode(item.hDC, TRANSPARENT);
    COLORREF colour = SetTextColor(item.hDC, GetSysColor(COLOR_WINDOWTEXT));
    HGDIOBJ font = SelectObject(item.hDC, state.fonts.ui.get());
    DrawTextW(item.hDC, text, length, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_PATH_ELLIPSIS);
    SelectObject(item.hDC, font);
    SetTextColor(item.hDC, colour);
    SetBkMode(item.hDC, mode);
}

// List rows: events whose list holds sounds in bold, sounds whose files are missing in grey.
void OnDrawitem(const DRAWITEMSTRUCT& item)
{
    if (item.CtlID == UINT(regbox2)) return Drawpath(item);
    HDC dc = item.hDC;
    bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID != UINT(-1)) {
        std::wstring text = Listrow(item.hwndItem, int(item.itemID));
        bool bold = item.CtlID == UINT(List1) && soundlists.Count(curapp, int16_t(item.itemID)) > 0;
        // A file that cannot play is drawn like a missing one: neither is ever heard.
        bool missing = item.CtlID == UINT(List2) && Checksound(text) != Soundstate::playable;
        bool kvxplays = item.CtlID == UINT(List1) && !Windowsplayssessionsounds() &&
                        Issessionevent(curapp, int16_t(item.itemID));
        int mode = SetBkMode(dc, TRANSPARENT);
        COLORREF colour = SetTextColor(
            dc, GetSysColor(missing ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        HGDIOBJ font = SelectObject(dc, bold ? state.fonts.bold.get() : state.fonts.ui.get());
        RECT r = item.rcItem;
        r.left += 2;
        DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        // The sounds Kvx plays itself carry a note at the row's end, outside its text.
        if (kvxplays) {
            r.right -= 4;
            DrawTextW(dc, L"♪", 1, &r, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
        }
        SelectObject(dc, font);
        SetTextColor(dc, colour);
        SetBkMode(dc, mode);
    }
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &item.rcItem);
}

// Keyboard focus comes back to the control that had it, or to List1.
void OnActivate(WPARAM wparam)
{
    if (LOWORD(wparam) == WA_INACTIVE) state.lastfocus = GetFocus();
}

void OnSetfocus()
{
    HWND target = state.lastfocus && IsChild(state.window, state.lastfocus) ? state.lastfocus : Item(List1);
    SetFocus(target);
}

LRESULT CALLBACK Form1proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (state.showmessage != 0 && message == state.showmessage) {
        Showform1();
        return 0;
    }
    switch (message) {
    case WM_CREATE: OnCreate(window); return 0;
    case WM_COMMAND: Routecommand(routes, LOWORD(wparam), HIWORD(wparam)); return 0;
    case WM_TIMER:
        if (wparam == Timer1) {
            Timertick();
            Updatetip();
        }
        return 0;
    case WM_DROPFILES: OnDropfiles(reinterpret_cast<HDROP>(wparam)); return 0;
    case WM_VKEYTOITEM:
        return reinterpret_cast<HWND>(lparam) == Item(List2) ? OnList2key(LOWORD(wparam)) : -1;
    case WM_COPYDATA:
        return OnCopydata(reinterpret_cast<HWND>(wparam), *reinterpret_cast<const COPYDATASTRUCT*>(lparam));
    case WM_DRAWITEM: OnDrawitem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam)); return TRUE;
    case WM_CTLCOLORSTATIC:
        return Colorstatic(window, form1layout, reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_ACTIVATE: OnActivate(wparam); return 0;
    case WM_SETFOCUS: OnSetfocus(); return 0;
    case WM_DPICHANGED: Changedpi(window, form1layout, state.fonts, wparam, lparam); return 0;
    case WM_CLOSE:
        if (state.busy)
            state.closepending = true;
        else
            Shutdown(false);
        return 0;
    case WM_QUERYENDSESSION: return OnQueryendsession(lparam);
    case WM_ENDSESSION:
        // The process may end as soon as this returns: save and remove the icon now.
        if (wparam) Shutdown(true);
        return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_NCDESTROY:
        // The controls are gone now, and with them the last users of the fonts.
        state = Form1state{};
        return DefWindowProcW(window, message, wparam, lparam);
    default: return DefWindowProcW(window, message, wparam, lparam);
    }
}
}

HWND Createform1(HINSTANCE instance, bool logon)
{
    if (!Registerwindowclass(instance, form1class, Form1proc)) return nullptr;
    state.showmessage = RegisterWindowMessageW(showform1message);
    // Fixed size, neither maximize nor minimize button.
    HWND window = CreateWindowExW(0, form1class, form1caption, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!window) return nullptr;
    Startup(logon);
    return window;
}

HWND Form1()
{
    return state.window;
}

const Windowlayout& Form1layout()
{
    return form1layout;
}

void Showform1()
{
    if (!state.window) return;
    ShowWindow(state.window, SW_SHOW);
    SetForegroundWindow(state.window);
}

void Unloadform1()
{
    if (state.window) SendMessageW(state.window, WM_CLOSE, 0, 0);
}

bool Form1message(MSG& msg)
{
    if (!state.window || !(msg.hwnd == state.window || IsChild(state.window, msg.hwnd))) return false;
    if (state.keys && TranslateAcceleratorW(state.window, state.keys.get(), &msg)) return true;
    return IsDialogMessageW(state.window, &msg) != FALSE;
}

void Settimer1(bool on)
{
    if (on)
        SetTimer(state.window, Timer1, timer1interval, nullptr);
    else
        KillTimer(state.window, Timer1);
    // Called whenever the interval may have changed.
    Updatetip();
}
