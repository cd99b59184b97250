// The main window's frame: its face, its keys and its procedure, which hands each message to the
// room that handles it (form1parts.h).
#include "form1.h"

#include "changer.h"
#include "commands.h"
#include "convertedcopies.h"
#include "form1parts.h"
#include "form2.h"
#include "handles.h"
#include "handover.h"
#include "pickers.h"
#include "window.h"

#include <commctrl.h>

#include <iterator>
#include <utility>
#include <vector>

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

// Accelerator commands carry the code 1: Insert adds a sound, and Kvx's commands have their keys.
constexpr WORD keycode = 1;

struct Form1state {
    HWND window = nullptr;
    Acceleratorhandle keys;
    HWND lastfocus = nullptr;
    Windowfonts fonts;
    UINT showmessage = 0;
    bool toldnotwritten = false;
};
Form1state state;

HWND Item(int id)
{
    return GetDlgItem(state.window, id);
}

void OnCommand1click()
{
    Runforperson(form3::moption);
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

void OnCommand4click()
{
    Unloadform1();
}

void OnCommand8click()
{
    // Frame2 is drawn as a sibling group box: the combo's container is the window itself.
    Dropcombo(state.window, Item(Combo1));
}

const Commandroute routes[] = {
    {Combo1, CBN_SELCHANGE, OnCombo1click},       {List1, LBN_SELCHANGE, OnList1click},
    {List2, LBN_DBLCLK, OnList2dblclick},         {Command1, BN_CLICKED, OnCommand1click},
    {Command2, BN_CLICKED, OnCommand2click},      {Command3, BN_CLICKED, OnCommand3click},
    {Command4, BN_CLICKED, OnCommand4click},      {Command5, BN_CLICKED, OnCommand5click},
    {Command6, BN_CLICKED, OnCommand6click},      {Command7, BN_CLICKED, OnCommand7click},
    {Command8, BN_CLICKED, OnCommand8click},
    // The keys: Enter and Esc as the dialog keys send them, Insert from the key table.
    {IDOK, BN_CLICKED, OnEnter},                  {IDCANCEL, BN_CLICKED, OnCommand3click},
    {Command5, keycode, OnCommand5click},
};

// Insert, and the key of each of Kvx's commands that has one.
Acceleratorhandle Createkeys()
{
    std::vector<ACCEL> keys{{FVIRTKEY, VK_INSERT, Command5}};
    for (const Kvxcommand& command : Kvxcommands())
        if (command.key != 0) keys.push_back({FVIRTKEY, command.key, WORD(command.id)});
    return Acceleratorhandle(CreateAcceleratorTableW(keys.data(), int(keys.size())));
}

void OnCommand(WORD id, WORD code)
{
    if (Routecommand(routes, id, code)) return;
    if (code == keycode) Runforperson(id);
}

LRESULT OnCopydata(HWND sender, const COPYDATASTRUCT& data)
{
    std::optional<Commandline> line = Receivedswitch(sender, data);
    if (!line) return 0;
    return Handoveranswer(Runswitch(*line));
}

void OnCreate(HWND window)
{
    state.window = window;
    state.keys = Createkeys();
    Buildwindow(window, form1layout, state.fonts);
    DragAcceptFiles(window, TRUE);
}

void OnDestroy()
{
    KillTimer(state.window, Timer1);
    PostQuitMessage(0);
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

// A copy made joins the picks and its row is no longer grey. A copy that could not be written
// (a full disk) is told once a run, not at every sound.
void OnConverted(bool notwritten)
{
    InvalidateRect(Item(List2), nullptr, FALSE);
    if (!notwritten || std::exchange(state.toldnotwritten, true)) return;
    Showmessage(state.window,
                L"変換したサウンドを保存できませんでした。ディスクの空き領域を確かめてください。\r\n" + convertedfolder,
                form1caption, MB_OK | MB_ICONWARNING);
}

void OnClose()
{
    if (Commandrunning())
        Closeaftercommand();
    else
        Shutdown(false);
}

LRESULT CALLBACK Form1proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (state.showmessage != 0 && message == state.showmessage) {
        Showform1();
        return 0;
    }
    switch (message) {
    case WM_CREATE: OnCreate(window); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wparam), HIWORD(wparam)); return 0;
    case WM_TIMER:
        if (wparam == Timer1) {
            Timertick();
            Updatetip();
        }
        return 0;
    case WM_DROPFILES: OnDropfiles(reinterpret_cast<HDROP>(wparam)); return 0;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wparam) != Item(List2)) return DefWindowProcW(window, message, wparam, lparam);
        OnList2contextmenu(lparam);
        return 0;
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
    case WM_CLOSE: OnClose(); return 0;
    case convertedmessage: OnConverted(wparam == 1); return 0;
    case WM_QUERYENDSESSION: return OnQueryendsession(lparam);
    case WM_ENDSESSION:
        // The process may end as soon as this returns: save and remove the icon now.
        if (wparam) Shutdown(true);
        return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_NCDESTROY:
        // The controls are gone now, and with them the last users of the fonts.
        state = Form1state{};
        Endsessionstate();
        return DefWindowProcW(window, message, wparam, lparam);
    default: return DefWindowProcW(window, message, wparam, lparam);
    }
}
}

HWND Form1item(int id)
{
    return state.window ? Item(id) : nullptr;
}

const Windowfonts& Form1fonts()
{
    return state.fonts;
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
