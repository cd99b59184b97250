#include "form1.h"

#include "editing.h"
#include "keylist.h"
#include "listbox.h"
#include "pickers.h"
#include "programfolder.h"
#include "window.h"

#include <commctrl.h>

#include <iterator>
#include <string_view>

int16_t curapp = 0;

namespace {
using namespace form1;

constexpr wchar_t classname[] = L"TebbetForm1";
constexpr DWORD formstyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;  // fixed size, no min/max box

constexpr wchar_t kvxtitle[] = L"KVX";
constexpr wchar_t restartnotice[] = L"設定を変更した場合、KVX再起動後に有効になります。";
constexpr UINT noticeflags = MB_OK | MB_ICONINFORMATION;         // 64
constexpr UINT confirmflags = MB_OKCANCEL | MB_ICONEXCLAMATION;  // 49
constexpr UINT warningflags = MB_OK | MB_ICONWARNING;

constexpr DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
// No LBS_SORT or CBS_SORT: a row's position is its index in the table.
constexpr DWORD listbox = WS_TABSTOP | WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
// The application's events tell the window of their keys (WM_VKEYTOITEM): Delete removes one.
constexpr DWORD eventlist = listbox | LBS_WANTKEYBOARDINPUT;
constexpr DWORD label = SS_LEFT | SS_NOPREFIX;

// In tab-index order (List1 is 0, Command6 11), which is also the creation order.
const Controlspec controls[] = {
    {List1, WC_LISTBOXW, L"", eventlist, 0, {120, 960, 4695, 6360}},
    {List2, WC_LISTBOXW, L"", listbox, 0, {5400, 960, 4695, 6360}},
    {Command1, WC_BUTTONW, L"←", button | WS_DISABLED, 0, {4920, 3480, 375, 375}},
    {Command2, WC_BUTTONW, L"→", button | WS_DISABLED, 0, {4920, 4080, 375, 375}},
    {Frame1, WC_BUTTONW, L"アプリケーション", BS_GROUPBOX, 0, {120, 0, 9975, 650}},
    // Clipped so that it never paints over "...", which lies on its arrow.
    {Combo1, WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | WS_CLIPSIBLINGS | CBS_DROPDOWNLIST, Frame1,
     {120, 240, 7695, 300}},
    {Command3, WC_BUTTONW, L"追加", button, Frame1, {8040, 240, 855, 255}},
    {Command4, WC_BUTTONW, L"削除", button, Frame1, {9000, 240, 855, 255}},
    {Label2, WC_STATICW, L"イベントリスト", label, 0, {5400, 720, 1125, 180}},
    {Label1, WC_STATICW, L"KVXで使用するイベント", label, 0, {120, 720, 1980, 180}},
    {Command5, WC_BUTTONW, L"終了", button, 0, {9240, 7440, 855, 255}},
    {Command6, WC_BUTTONW, L"...", button, Frame1, {7540, 270, 255, 255}},
};

const Tooltiprow tooltips[] = {
    {Command3, L"サウンドを鳴らすアプリケーションを追加します"},
    {Command4, L"選択したアプリケーションのサウンドの設定を削除します"},
    {Command1, L"イベントを追加します"},
    {Command2, L"イベントを削除します"},
};

// Label1 and Label2 are headings: teal and pink, sized to their text.
constexpr int headings[] = {Label1, Label2};

const Windowlayout form1layout{controls, headings, tooltips, 10200, 7785};

struct Form1state {
    HWND window = nullptr;
    Windowfonts fonts;
};
Form1state state;

HWND Item(int id)
{
    return GetDlgItem(state.window, id);
}

void Warn(const wchar_t* text)
{
    Showmessage(state.window, text, formtitle, warningflags);
}

// --- Selection -------------------------------------------------------------------------------

void Enablearrows(bool add, bool remove)
{
    EnableWindow(Item(Command1), add);
    EnableWindow(Item(Command2), remove);
}

void OnCombo1click()
{
    LRESULT row = SendMessageW(Item(Combo1), CB_GETCURSEL, 0, 0);
    // With no application there is nothing to select: List1 stays empty and the commands
    // that need an application do nothing.
    curapp = row == CB_ERR ? int16_t(0) : int16_t(row + 1);
    Showevents(Item(List1), curapp);
    Enablearrows(false, false);
}

void OnList1click() { Enablearrows(false, true); }
void OnList2click() { Enablearrows(true, false); }

// --- Commands --------------------------------------------------------------------------------

std::wstring Combotext(LRESULT row)
{
    LRESULT length = SendMessageW(Item(Combo1), CB_GETLBTEXTLEN, WPARAM(row), 0);
    if (length < 0) return {};
    std::wstring text(size_t(length) + 1, L'\0');
    SendMessageW(Item(Combo1), CB_GETLBTEXT, WPARAM(row), reinterpret_cast<LPARAM>(text.data()));
    return text.c_str();
}

int16_t Selectedrow(int id)
{
    LRESULT row = SendMessageW(Item(id), LB_GETCURSEL, 0, 0);
    return row < 0 || row > INT16_MAX ? int16_t(-1) : int16_t(row);
}

// ← the event selected in List2 to the application.
void OnCommand1click()
{
    Outcome outcome = Addevent(curapp, Selectedrow(List2));
    if (outcome == Outcome::failed) return Warn(L"イベントを追加できませんでした。");
    if (outcome == Outcome::done)
        SendMessageW(Item(List1), LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(Eventtext(curapp, apps[size_t(curapp)].last).c_str()));
}

// → the event selected in List1 away.
void OnCommand2click()
{
    int16_t row = Selectedrow(List1);
    Outcome outcome = Removeevent(curapp, row);
    if (outcome == Outcome::failed) return Warn(L"イベントを削除できませんでした。");
    if (outcome == Outcome::done) SendMessageW(Item(List1), LB_DELETESTRING, WPARAM(row), 0);
}

// 追加: an application picked as a program file.
void OnCommand3click()
{
    std::wstring filter = std::wstring(L"ｱﾌﾟﾘｹｰｼｮﾝ") + L'\0' + L"*.exe;*.bat";
    std::wstring path = Openfiledlg(state.window, filter, Programfolder(), L"ｱﾌﾟﾘｹｰｼｮﾝの追加");
    Outcome outcome = Addapplication(path);
    if (outcome == Outcome::failed) return Warn(L"アプリケーションを追加できませんでした。");
    if (outcome == Outcome::done) Reloadapps();
}

// 削除: the selected application, after a confirmation.
void OnCommand4click()
{
    LRESULT row = SendMessageW(Item(Combo1), CB_GETCURSEL, 0, 0);
    if (row < 0 || row >= Appcount()) return;
    // Named by its display text, deleted by its key name.
    std::wstring question = Combotext(row) + L"を削除します\r\nよろしいですか？";
    if (Showmessage(state.window, question, formtitle, confirmflags) != IDOK) return;
    Outcome outcome = Deleteapplication(int16_t(row + 1));
    // Whatever part of it went, the lists show what the registry now holds.
    if (outcome == Outcome::failed) Warn(L"アプリケーションを削除できませんでした。");
    if (outcome != Outcome::nothing) Reloadapps();
}

void OnCommand6click()
{
    // Controls are placed relative to the form, not the frame: the form is the combo's container.
    Dropcombo(state.window, Item(Combo1));
}

struct Kvxsearch {
    HWND exact = nullptr;     // titled "KVX": the main window of Kvx
    HWND prefixed = nullptr;  // the first whose title begins with "KVX"
};

BOOL CALLBACK Considerwindow(HWND window, LPARAM search)
{
    auto& found = *reinterpret_cast<Kvxsearch*>(search);
    wchar_t buffer[64];
    std::wstring_view title(buffer, size_t(GetWindowTextW(window, buffer, int(std::size(buffer)))));
    // Editor windows, this one included, begin with "KVX" too but are not Kvx.
    if (title == formtitle) return TRUE;
    if (title == kvxtitle) {
        // Kvx's hidden notification-area window has the same title: a shown window is the one
        // the user is looking at.
        if (IsWindowVisible(window)) {
            found.exact = window;
            return FALSE;
        }
        if (!found.exact) found.exact = window;
        return TRUE;
    }
    if (title.starts_with(kvxtitle) && !found.prefixed) found.prefixed = window;
    return TRUE;
}

// 終了
void OnCommand5click()
{
    if (HWND kvx = Findkvxwindow()) {
        // Kvx normally sits hidden in the notification area; only a shown window is raised.
        if (IsWindowVisible(kvx)) SetForegroundWindow(kvx);
        Showmessage(state.window, restartnotice, formtitle, noticeflags);
    }
    DestroyWindow(state.window);
}

// Enter, which the dialog keys send as IDOK: on the list of all events it adds the selected one
// as "←" does.
void OnEnter()
{
    if (GetFocus() == Item(List2)) OnCommand1click();
}

// Delete on the application's events removes the selected one as "→" does; the list handles
// every other key itself (-1).
LRESULT OnList1key(UINT key)
{
    if (key != VK_DELETE) return -1;
    OnCommand2click();
    return -2;
}

const Commandroute routes[] = {
    {Combo1, CBN_SELCHANGE, OnCombo1click},   {List1, LBN_SELCHANGE, OnList1click},
    {List2, LBN_SELCHANGE, OnList2click},     {Command1, BN_CLICKED, OnCommand1click},
    {Command2, BN_CLICKED, OnCommand2click},  {Command3, BN_CLICKED, OnCommand3click},
    {Command4, BN_CLICKED, OnCommand4click},  {Command5, BN_CLICKED, OnCommand5click},
    {Command6, BN_CLICKED, OnCommand6click},  {IDOK, BN_CLICKED, OnEnter},
};

// --- Window procedure ------------------------------------------------------------------------

void Startup()
{
    // The labels come first: reading each application's events looks its names up in them.
    Loadtree();
    std::vector<std::wstring> labels(eventlabels.texts.begin(), eventlabels.texts.begin() + (eventlabels.last + 1));
    Fillrows(Item(List2), labels);
    Reloadapps();
}

void OnCreate(HWND window)
{
    state.window = window;
    Buildwindow(window, form1layout, state.fonts);
    // "..." lies over the combo's own arrow and must take its clicks; the frame is drawn below
    // what it holds. Tab order does not follow this stacking (see Nexttabstop).
    SetWindowPos(Item(Command6), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(Item(Frame1), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Startup();
}

LRESULT CALLBACK Form1proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CREATE: OnCreate(window); return 0;
    case WM_COMMAND: Routecommand(routes, LOWORD(wparam), HIWORD(wparam)); return 0;
    case WM_VKEYTOITEM: return reinterpret_cast<HWND>(lparam) == Item(List1) ? OnList1key(LOWORD(wparam)) : -1;
    case WM_CTLCOLORSTATIC:
        return Colorstatic(window, form1layout, reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_DPICHANGED: Changedpi(window, form1layout, state.fonts, wparam, lparam); return 0;
    case WM_DESTROY:
        // Closing the window, by 終了 or the close box, ends the program.
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        // The controls are gone now; their fonts can go too.
        state = Form1state{};
        curapp = 0;
        break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

// Position in the tab order of the control that holds window, or -1.
int Tabposition(HWND window)
{
    while (window && GetParent(window) != state.window) window = GetParent(window);
    int id = window ? GetDlgCtrlID(window) : 0;
    for (size_t k = 0; k < std::size(controls); ++k)
        if (controls[k].id == id) return int(k);
    return -1;
}
}

void Reloadapps()
{
    Loadapps();
    std::vector<std::wstring> rows(apps[0].texts.begin(), apps[0].texts.begin() + Appcount());
    Fillrows(Item(Combo1), rows, true);
    SendMessageW(Item(Combo1), CB_SETCURSEL, 0, 0);
    OnCombo1click();
}

HWND Findkvxwindow()
{
    Kvxsearch found;
    EnumWindows(Considerwindow, reinterpret_cast<LPARAM>(&found));
    return found.exact ? found.exact : found.prefixed;
}

HWND Form1()
{
    return state.window;
}

const Windowlayout& Form1layout()
{
    return form1layout;
}

HWND Nexttabstop(HWND current, bool forward)
{
    const int count = int(std::size(controls));
    int at = Tabposition(current);
    if (at < 0) at = forward ? -1 : count;
    for (int step = 1; step <= count; ++step) {
        int k = ((at + (forward ? step : -step)) % count + count) % count;
        HWND control = Item(controls[k].id);
        if ((GetWindowLongPtrW(control, GWL_STYLE) & WS_TABSTOP) && IsWindowEnabled(control) &&
            IsWindowVisible(control))
            return control;
    }
    return nullptr;
}

bool Form1message(MSG& msg)
{
    if (!state.window) return false;
    // The dialog manager tabs in stacking order, where "..." has to lie above the combo box;
    // Tab follows the tab-index order instead.
    bool ours = msg.hwnd == state.window || IsChild(state.window, msg.hwnd);
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && ours &&
        GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0) {
        if (HWND next = Nexttabstop(GetFocus(), GetKeyState(VK_SHIFT) >= 0)) SetFocus(next);
        return true;
    }
    return IsDialogMessageW(state.window, &msg) != FALSE;
}

HWND Createform1(HINSTANCE instance, int show)
{
    INITCOMMONCONTROLSEX common{sizeof common, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&common);
    if (!Registerwindowclass(instance, classname, Form1proc)) return nullptr;
    HWND window = CreateWindowExW(0, classname, formtitle, formstyle, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr,
                                  nullptr, instance, nullptr);
    if (!window) return nullptr;
    ShowWindow(window, show);
    UpdateWindow(window);
    // The keyboard starts on the first control in tab order, List1.
    SetFocus(Nexttabstop(nullptr, true));
    return window;
}
