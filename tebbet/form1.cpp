#include "form1.h"

#include "editing.h"
#include "keylist.h"
#include "layout.h"
#include "pickers.h"
#include "tooltips.h"
#include "resources.h"

#include <commctrl.h>

#include <iterator>
#include <utility>
#include <string_view>

Form1 form1;
int16_t curapp = 0;

namespace {
constexpr wchar_t classname[] = L"TebbetForm1";
constexpr DWORD formstyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;  // fixed size, no min/max box
constexpr int clientwidth = 10200;  // twips
constexpr int clientheight = 7785;

constexpr int headings[] = {IDC_LABEL1, IDC_LABEL2};
constexpr COLORREF label1colour = RGB(0, 128, 128);
constexpr COLORREF label2colour = RGB(255, 70, 131);

constexpr wchar_t kvxtitle[] = L"KVX";
constexpr wchar_t restartnotice[] = L"設定を変更した場合、KVX再起動後に有効になります。";
constexpr UINT noticeflags = MB_OK | MB_ICONINFORMATION;  // 64

constexpr DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
// No LBS_SORT or CBS_SORT: a row's position is its index in the table.
constexpr DWORD listbox = WS_TABSTOP | WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
constexpr DWORD label = SS_LEFT | SS_NOPREFIX;

// In tab-index order (List1 is 0, Command6 11), which is also the creation order.
constexpr Controlspec controls[] = {
    {IDC_LIST1, WC_LISTBOXW, L"", listbox, 0, {120, 960, 4695, 6360}},
    {IDC_LIST2, WC_LISTBOXW, L"", listbox, 0, {5400, 960, 4695, 6360}},
    {IDC_COMMAND1, WC_BUTTONW, L"←", button | WS_DISABLED, 0, {4920, 3480, 375, 375}},
    {IDC_COMMAND2, WC_BUTTONW, L"→", button | WS_DISABLED, 0, {4920, 4080, 375, 375}},
    {IDC_FRAME1, WC_BUTTONW, L"アプリケーション", BS_GROUPBOX, 0, {120, 0, 9975, 650}},
    // Clipped so that it never paints over "...", which lies on its arrow.
    {IDC_COMBO1, WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | WS_CLIPSIBLINGS | CBS_DROPDOWNLIST, IDC_FRAME1,
     {120, 240, 7695, 300}},
    {IDC_COMMAND3, WC_BUTTONW, L"追加", button, IDC_FRAME1, {8040, 240, 855, 255}},
    {IDC_COMMAND4, WC_BUTTONW, L"削除", button, IDC_FRAME1, {9000, 240, 855, 255}},
    {IDC_LABEL2, WC_STATICW, L"イベントリスト", label, 0, {5400, 720, 1125, 180}},
    {IDC_LABEL1, WC_STATICW, L"KVXで使用するイベント", label, 0, {120, 720, 1980, 180}},
    {IDC_COMMAND5, WC_BUTTONW, L"終了", button, 0, {9240, 7440, 855, 255}},
    {IDC_COMMAND6, WC_BUTTONW, L"...", button, IDC_FRAME1, {7540, 270, 255, 255}},
};

struct Tooltip {
    int id;
    const wchar_t* text;
};
constexpr Tooltip tooltips[] = {
    {IDC_COMMAND3, L"サウンドを鳴らすアプリケーションを追加します"},
    {IDC_COMMAND4, L"選択したアプリケーションのサウンドの設定を削除します"},
    {IDC_COMMAND1, L"イベントを追加します"},
    {IDC_COMMAND2, L"イベントを削除します"},
};

// --- Selection -------------------------------------------------------------------------------

void Enablearrows(bool add, bool remove)
{
    EnableWindow(form1.command1, add);
    EnableWindow(form1.command2, remove);
}

void OnCombo1click()
{
    LRESULT row = SendMessageW(form1.combo1, CB_GETCURSEL, 0, 0);
    // With no application there is nothing to select: List1 stays empty and the commands
    // that need an application do nothing.
    curapp = row == CB_ERR ? int16_t(0) : int16_t(row + 1);
    Showevents(form1.list1, curapp);
    Enablearrows(false, false);
}

void OnList1click() { Enablearrows(false, true); }
void OnList2click() { Enablearrows(true, false); }

// --- Start-up and exit -----------------------------------------------------------------------

void Startup()
{
    // The labels come first: reading each application's events looks its names up in them.
    Loadkeys(-1, labelsroot);
    for (int16_t k = 0; k <= eventlabels.last; ++k)
        SendMessageW(form1.list2, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(eventlabels.texts[size_t(k)].c_str()));
    Reloadapps();
}

void OnCommand6click()
{
    // Controls are placed relative to the form, not the frame: the form is the combo's container.
    Dropcombo(form1.window, form1.combo1);
}

void OnCommand5click()
{
    if (HWND kvx = Findkvxwindow()) {
        // Kvx normally sits hidden in the notification area; only a shown window is raised.
        if (IsWindowVisible(kvx)) SetForegroundWindow(kvx);
        Showmessage(form1.window, restartnotice, formtitle, noticeflags);
    }
    DestroyWindow(form1.window);
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

// --- Layout ----------------------------------------------------------------------------------

void Addtooltips()
{
    form1.tooltip = Createtooltips(form1.window);
    for (const Tooltip& tip : tooltips) Addtooltip(form1.tooltip, GetDlgItem(form1.window, tip.id), tip.text);
}

// Which field of form1 holds which control.
constexpr std::pair<int, HWND Form1::*> fields[] = {
    {IDC_FRAME1, &Form1::frame1},     {IDC_COMBO1, &Form1::combo1},     {IDC_COMMAND6, &Form1::command6},
    {IDC_COMMAND3, &Form1::command3}, {IDC_COMMAND4, &Form1::command4}, {IDC_LABEL1, &Form1::label1},
    {IDC_LIST1, &Form1::list1},       {IDC_LABEL2, &Form1::label2},     {IDC_LIST2, &Form1::list2},
    {IDC_COMMAND1, &Form1::command1}, {IDC_COMMAND2, &Form1::command2}, {IDC_COMMAND5, &Form1::command5},
};

void Findcontrols(HWND window)
{
    form1.window = window;
    for (auto [id, field] : fields) form1.*field = GetDlgItem(window, id);
}

// --- Window procedure ------------------------------------------------------------------------

bool OnCreate(HWND window)
{
    UINT dpi = Windowdpi(window);
    Sizeclient(window, clientwidth, clientheight, dpi);
    Createcontrols(window, controls, dpi, nullptr);
    Findcontrols(window);
    // "..." lies over the combo's own arrow and must take its clicks; the frame is drawn below
    // what it holds. Tab order does not follow this stacking (see Nexttabstop).
    SetWindowPos(form1.command6, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(form1.frame1, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Applyfonts(form1.window, controls, headings, dpi, form1.fonts);
    Addtooltips();
    Startup();
    return true;
}

struct Route {
    int id;
    WORD code;
    void (*handler)();
};
constexpr Route routes[] = {
    {IDC_COMBO1, CBN_SELCHANGE, OnCombo1click}, {IDC_LIST1, LBN_SELCHANGE, OnList1click},
    {IDC_LIST2, LBN_SELCHANGE, OnList2click},   {IDC_COMMAND1, BN_CLICKED, OnCommand1click},
    {IDC_COMMAND2, BN_CLICKED, OnCommand2click}, {IDC_COMMAND3, BN_CLICKED, OnCommand3click},
    {IDC_COMMAND4, BN_CLICKED, OnCommand4click}, {IDC_COMMAND5, BN_CLICKED, OnCommand5click},
    {IDC_COMMAND6, BN_CLICKED, OnCommand6click},
};

void OnCommand(int id, WORD code)
{
    for (const Route& route : routes)
        if (route.id == id && route.code == code) route.handler();
}

LRESULT OnCtlcolorstatic(HDC dc, HWND control)
{
    if (control == form1.label1) SetTextColor(dc, label1colour);
    if (control == form1.label2) SetTextColor(dc, label2colour);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void OnDpichanged(UINT dpi, const RECT& suggested)
{
    SetWindowPos(form1.window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Sizeclient(form1.window, clientwidth, clientheight, dpi);
    Placecontrols(form1.window, controls, dpi);
    Applyfonts(form1.window, controls, headings, dpi, form1.fonts);
}

LRESULT CALLBACK Form1proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate(window) ? 0 : -1;
    case WM_COMMAND:
        OnCommand(LOWORD(wparam), HIWORD(wparam));
        return 0;
    case WM_CTLCOLORSTATIC:
        return OnCtlcolorstatic(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_DPICHANGED:
        OnDpichanged(HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
        return 0;
    case WM_DESTROY:
        // Closing the window, by 終了 or the close box, ends the program.
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        // The controls are gone now; their fonts can go too.
        form1 = Form1{};
        curapp = 0;
        break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

// Position in the tab order of the control that holds window, or -1.
int Tabposition(HWND window)
{
    while (window && GetParent(window) != form1.window) window = GetParent(window);
    int id = window ? GetDlgCtrlID(window) : 0;
    for (size_t k = 0; k < std::size(controls); ++k)
        if (controls[k].id == id) return int(k);
    return -1;
}
}

void Reloadapps()
{
    Loadkeys(0, appsroot);
    SendMessageW(form1.combo1, CB_RESETCONTENT, 0, 0);
    for (int16_t i = 1; i <= Appcount(); ++i) {
        Loadkeys(i, apps[0].path + apps[0].names[size_t(i - 1)]);
        SendMessageW(form1.combo1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(apps[0].texts[size_t(i - 1)].c_str()));
    }
    SendMessageW(form1.combo1, CB_SETCURSEL, 0, 0);
    OnCombo1click();
}

HWND Findkvxwindow()
{
    Kvxsearch found;
    EnumWindows(Considerwindow, reinterpret_cast<LPARAM>(&found));
    return found.exact ? found.exact : found.prefixed;
}

HWND Nexttabstop(HWND current, bool forward)
{
    const int count = int(std::size(controls));
    int at = Tabposition(current);
    if (at < 0) at = forward ? -1 : count;
    for (int step = 1; step <= count; ++step) {
        int k = ((at + (forward ? step : -step)) % count + count) % count;
        HWND control = GetDlgItem(form1.window, controls[k].id);
        if ((GetWindowLongPtrW(control, GWL_STYLE) & WS_TABSTOP) && IsWindowEnabled(control) &&
            IsWindowVisible(control))
            return control;
    }
    return nullptr;
}

bool Form1message(MSG& msg)
{
    if (!form1.window) return false;
    // The dialog manager tabs in stacking order, where "..." has to lie above the combo box;
    // Tab follows the tab-index order instead.
    bool ours = msg.hwnd == form1.window || IsChild(form1.window, msg.hwnd);
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && ours &&
        GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0) {
        if (HWND next = Nexttabstop(GetFocus(), GetKeyState(VK_SHIFT) >= 0)) SetFocus(next);
        return true;
    }
    return IsDialogMessageW(form1.window, &msg) != FALSE;
}

HWND Createform1(HINSTANCE instance, int show)
{
    INITCOMMONCONTROLSEX common{sizeof common, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&common);
    WNDCLASSEXW windowclass{};
    windowclass.cbSize = sizeof windowclass;
    windowclass.lpfnWndProc = Form1proc;
    windowclass.hInstance = instance;
    // Kvx's icon; shared resources, released with the module.
    windowclass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_KVX));
    windowclass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_KVX), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                        LR_SHARED));
    windowclass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowclass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowclass.lpszClassName = classname;
    RegisterClassExW(&windowclass);  // already registered when a window was made before
    HWND window = CreateWindowExW(0, classname, formtitle, formstyle, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr,
                                  nullptr, instance, nullptr);
    if (!window) return nullptr;
    ShowWindow(window, show);
    UpdateWindow(window);
    // The keyboard starts on the first control in tab order, List1.
    SetFocus(Nexttabstop(nullptr, true));
    return window;
}
