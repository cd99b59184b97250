#include "form2.h"

#include "handles.h"
#include "interval.h"
#include "layout.h"
#include "pickers.h"
#include "settings.h"
#include "tooltips.h"

#include <array>
#include <string>

namespace {

constexpr wchar_t classname[] = L"KvxForm2";
constexpr int clientwidth = 4680;
constexpr int clientheight = 1335;

constexpr std::array<Controlspec, 8> layout = {{
    {form2text1, L"EDIT", L"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, {120, 240, 4095, 270}},
    {form2command2, L"BUTTON", L"...", WS_TABSTOP | BS_PUSHBUTTON, 0, {4320, 240, 255, 255}},
    {form2label1, L"STATIC", L"ﾃﾞﾌｫﾙﾄのﾃﾞｨﾚｸﾄﾘ", SS_LEFT, 0, {120, 0, 1335, 180}},
    {form2text2, L"EDIT", L"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, {120, 600, 495, 270}},
    {form2label3, L"STATIC", L"分ごとに変更", SS_LEFT | SS_CENTERIMAGE, 0, {615, 600, 1335, 255}},
    {form2label4, L"STATIC", L"", SS_LEFT | SS_CENTERIMAGE, 0, {2040, 600, 2535, 255}},
    {form2command1, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, {3600, 960, 975, 255}},
    {form2check1, L"BUTTON", L"起動時に変更", WS_TABSTOP | BS_AUTOCHECKBOX, 0, {120, 960, 1815, 255}},
}};

struct Form2state {
    HWND window = nullptr;
    HWND owner = nullptr;
    std::function<void(bool)> switchtimer;
    Windowfonts fonts;
};
Form2state form2;

HWND Control(int id)
{
    return GetDlgItem(form2.window, id);
}

std::wstring Textof(int id)
{
    HWND control = Control(id);
    std::wstring text(size_t(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(control, text.data(), int(text.size()))));
    return text;
}

void Tellrefusal(const wchar_t* why)
{
    SetWindowTextW(Control(form2label4), why);
    SetFocus(Control(form2text2));
    SendMessageW(Control(form2text2), EM_SETSEL, 0, -1);
}

// Fields from the settings now held.
void Fillfields()
{
    SetWindowTextW(Control(form2text1), defdir.c_str());
    SetWindowTextW(Control(form2text2), std::to_wstring(cinterval).c_str());
    SendMessageW(Control(form2check1), BM_SETCHECK, optval1 != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
    SetWindowTextW(Control(form2label4), L"");
}

void OnCommand2click()
{
    std::wstring folder = Browsefolder(form2.owner, L"ﾃﾞﾌｫﾙﾄのﾃﾞｨﾚｸﾄﾘの指定");
    if (!folder.empty()) SetWindowTextW(Control(form2text1), folder.c_str());
}

void OnCommand1click()
{
    Intervalvalue interval = Convertinterval(Textof(form2text2));
    if (interval.error == Intervalerror::notanumber) return Tellrefusal(L"整数を入力してください");
    if (interval.error == Intervalerror::outofrange) return Tellrefusal(L"範囲外の数値です");
    defdir = Textof(form2text1);
    cinterval = interval.value;
    optval1 = SendMessageW(Control(form2check1), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    Savesetting(L"defdir", defdir);
    Savesetting(L"cinterval", std::to_wstring(cinterval));
    Savesetting(L"optval1", std::to_wstring(optval1));
    if (form2.switchtimer) form2.switchtimer(cinterval != 0);
    DestroyWindow(form2.window);
}

void OnCreate(HWND window)
{
    form2.window = window;
    UINT dpi = Windowdpi(window);
    Sizeclient(window, clientwidth, clientheight, dpi);
    Createcontrols(window, layout, dpi, nullptr);
    Applyfonts(window, layout, {}, dpi, form2.fonts);
    HWND tips = Createtooltips(window);
    Addtooltip(tips, Control(form2command2), L"参照");
    Addtooltip(tips, Control(form2text2), L"0なら変更しません");
}

void OnDpichanged(HWND window, UINT dpi, const RECT* suggested)
{
    SetWindowPos(window, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Sizeclient(window, clientwidth, clientheight, dpi);
    Placecontrols(window, layout, dpi);
    Applyfonts(window, layout, {}, dpi, form2.fonts);
}

HBRUSH OnCtlcolorstatic(HDC dc, HWND control)
{
    // The refusal note is red so that it is seen next to the field.
    if (control == Control(form2label4)) SetTextColor(dc, RGB(192, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    return GetSysColorBrush(COLOR_BTNFACE);
}

LRESULT CALLBACK Form2proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case form2command1:
            OnCommand1click();
            return 0;
        case form2command2:
            OnCommand2click();
            return 0;
        case IDCANCEL:  // Esc closes like the close box
            DestroyWindow(window);
            return 0;
        case form2text2:
            if (HIWORD(wparam) == EN_CHANGE) SetWindowTextW(Control(form2label4), L"");
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return reinterpret_cast<LRESULT>(OnCtlcolorstatic(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam)));
    case WM_DPICHANGED:
        OnDpichanged(window, HIWORD(wparam), reinterpret_cast<const RECT*>(lparam));
        return 0;
    case WM_CLOSE:
        // The close box discards every edit.
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        form2.window = nullptr;
        return 0;
    case WM_NCDESTROY:
        // The controls are gone now, and with them the last users of the fonts.
        form2.fonts = Windowfonts{};
        break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

void Registerclass(HINSTANCE instance)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(instance, classname, &wc)) return;
    wc.lpfnWndProc = Form2proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = classname;
    RegisterClassExW(&wc);
}

}

void Showform2(HWND owner, std::function<void(bool)> switchtimer)
{
    form2.owner = owner;
    form2.switchtimer = std::move(switchtimer);
    if (!form2.window) {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        Registerclass(instance);
        CreateWindowExW(WS_EX_DLGMODALFRAME, classname, L"詳細設定", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                        CW_USEDEFAULT, CW_USEDEFAULT, 400, 150, owner, nullptr, instance, nullptr);
        if (!form2.window) return;
    }
    Fillfields();
    ShowWindow(form2.window, SW_SHOWNORMAL);
    SetForegroundWindow(form2.window);
    SetFocus(Control(form2text1));
}

HWND Form2window()
{
    return form2.window;
}

std::span<const Controlspec> Form2layout()
{
    return layout;
}
