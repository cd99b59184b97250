#include "form2.h"

#include "interval.h"
#include "pickers.h"
#include "sessionsounds.h"
#include "settings.h"

#include <iterator>
#include <span>
#include <string>

namespace {
using namespace form2;

constexpr wchar_t classname[] = L"KvxForm2";

const Controlspec layout[] = {
    {Text1, L"EDIT", L"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, {120, 240, 4095, 270}},
    {Command2, L"BUTTON", L"...", WS_TABSTOP | BS_PUSHBUTTON, 0, {4320, 240, 255, 255}},
    {Label1, L"STATIC", L"ﾃﾞﾌｫﾙﾄのﾃﾞｨﾚｸﾄﾘ", SS_LEFT, 0, {120, 0, 2175, 240}},
    {Text2, L"EDIT", L"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, {120, 600, 495, 270}},
    {Label3, L"STATIC", L"分ごとに変更", SS_LEFT | SS_CENTERIMAGE, 0, {615, 600, 1335, 255}},
    {Label4, L"STATIC", L"", SS_LEFT | SS_CENTERIMAGE, 0, {2040, 600, 2535, 255}},
    {Command1, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, {3600, 960, 975, 255}},
    {Check1, L"BUTTON", L"起動時に変更", WS_TABSTOP | BS_AUTOCHECKBOX, 0, {120, 960, 1815, 255}},
    {Check2, L"BUTTON", L"Windows が鳴らさないサウンド（ログオン・ログオフ・終了）を鳴らす",
     WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE | BS_TOP, 0, {120, 1320, 4455, 480}},
};

const Tooltiprow tooltips[] = {
    {Command2, L"参照"},
    {Text2, L"0なら変更しません"},
};

const Windowlayout form2layout{layout, {}, tooltips, 4680, 1920};
// Windows 7 plays the session sounds itself: the dialog ends above Check2.
const Windowlayout form2layout7{std::span(layout).first(std::size(layout) - 1), {}, tooltips, 4680, 1335};

struct Form2state {
    HWND window = nullptr;
    const Windowlayout* layout = &form2layout;
    HWND owner = nullptr;
    std::function<void(bool)> switchtimer;
    Windowfonts fonts;
};
Form2state state;

HWND Item(int id)
{
    return GetDlgItem(state.window, id);
}

std::wstring Textof(int id)
{
    HWND control = Item(id);
    std::wstring text(size_t(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(control, text.data(), int(text.size()))));
    return text;
}

void Tellrefusal(const wchar_t* why)
{
    SetWindowTextW(Item(Label4), why);
    SetFocus(Item(Text2));
    SendMessageW(Item(Text2), EM_SETSEL, 0, -1);
}

// Fields from the settings now held.
void Fillfields()
{
    SetWindowTextW(Item(Text1), defdir.c_str());
    SetWindowTextW(Item(Text2), std::to_wstring(cinterval).c_str());
    SendMessageW(Item(Check1), BM_SETCHECK, optval1 != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(Item(Check2), BM_SETCHECK, sessionsounds != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
    SetWindowTextW(Item(Label4), L"");
}

void OnCommand2click()
{
    std::wstring folder = Browsefolder(state.owner, L"ﾃﾞﾌｫﾙﾄのﾃﾞｨﾚｸﾄﾘの指定");
    if (!folder.empty()) SetWindowTextW(Item(Text1), folder.c_str());
}

void OnCommand1click()
{
    Intervalvalue interval = Convertinterval(Textof(Text2));
    if (interval.error == Intervalerror::notanumber) return Tellrefusal(L"整数を入力してください");
    if (interval.error == Intervalerror::outofrange) return Tellrefusal(L"範囲外の数値です");
    defdir = Textof(Text1);
    cinterval = interval.value;
    optval1 = SendMessageW(Item(Check1), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    bool stored = Savesetting(L"defdir", defdir);
    stored &= Savesetting(L"cinterval", std::to_wstring(cinterval));
    stored &= Savesetting(L"optval1", std::to_wstring(optval1));
    if (Item(Check2)) {
        sessionsounds = SendMessageW(Item(Check2), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
        stored &= Savesetting(L"sessionsounds", std::to_wstring(sessionsounds));
    }
    // The settings hold for this run either way; only a stored set holds for the next one.
    if (state.switchtimer) state.switchtimer(cinterval != 0);
    if (!stored) {
        SetWindowTextW(Item(Label4), L"設定を保存できませんでした");
        return;
    }
    DestroyWindow(state.window);
}

void OnCreate(HWND window)
{
    state.window = window;
    state.layout = &Form2layout();
    Buildwindow(window, *state.layout, state.fonts);
}

void OnCancel()
{
    // Esc closes like the close box.
    DestroyWindow(state.window);
}

void OnText2change()
{
    SetWindowTextW(Item(Label4), L"");
}

const Commandroute routes[] = {
    {Command1, BN_CLICKED, OnCommand1click},
    {Command2, BN_CLICKED, OnCommand2click},
    {IDCANCEL, BN_CLICKED, OnCancel},
    {Text2, EN_CHANGE, OnText2change},
};

LRESULT OnCtlcolorstatic(HWND window, HDC dc, HWND control)
{
    LRESULT brush = Colorstatic(window, *state.layout, dc, control);
    // The note is red so that it is seen next to the field.
    if (control == Item(Label4)) SetTextColor(dc, RGB(192, 0, 0));
    return brush;
}

LRESULT CALLBACK Form2proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case WM_COMMAND:
        if (Routecommand(routes, LOWORD(wparam), HIWORD(wparam))) return 0;
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return OnCtlcolorstatic(window, reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_DPICHANGED:
        Changedpi(window, *state.layout, state.fonts, wparam, lparam);
        return 0;
    case WM_CLOSE:
        // The close box discards every edit.
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        state.window = nullptr;
        return 0;
    case WM_NCDESTROY:
        // The controls are gone now, and with them the last users of the fonts.
        state.fonts = Windowfonts{};
        break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}

void Showform2(HWND owner, std::function<void(bool)> switchtimer)
{
    state.owner = owner;
    state.switchtimer = std::move(switchtimer);
    if (!state.window) {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        if (!Registerwindowclass(instance, classname, Form2proc)) return;
        CreateWindowExW(WS_EX_DLGMODALFRAME, classname, L"詳細設定", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                        CW_USEDEFAULT, CW_USEDEFAULT, 400, 150, owner, nullptr, instance, nullptr);
        if (!state.window) return;
    }
    Fillfields();
    ShowWindow(state.window, SW_SHOWNORMAL);
    SetForegroundWindow(state.window);
    SetFocus(Item(Text1));
}

HWND Form2()
{
    return state.window;
}

const Windowlayout& Form2layout()
{
    return Windowsplayssessionsounds() ? form2layout7 : form2layout;
}
