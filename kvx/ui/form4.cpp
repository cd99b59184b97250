#include "form4.h"

#include <commctrl.h>

#include <span>
#include <utility>

namespace {
using namespace form4;

constexpr wchar_t classname[] = L"KvxForm4";

const Controlspec layout[] = {
    {Label1, WC_STATICW, L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0, {120, 120, 5760, 255}},
    {Progress1, PROGRESS_CLASSW, L"", PBS_SMOOTH, 0, {120, 480, 5760, 255}},
    {Command1, WC_BUTTONW, L"キャンセル", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, {4680, 855, 1200, 300}},
};

// Without the button, the window ends below the bar.
const Windowlayout form4layout{std::span(layout).first(2), {}, {}, 6000, 855};
const Windowlayout cancellayout{layout, {}, {}, 6000, 1275};

struct Form4state {
    HWND window = nullptr;
    Windowfonts fonts;
    std::function<void()> cancel;
};
Form4state state;

HWND Item(int id)
{
    return GetDlgItem(state.window, id);
}

const Windowlayout& Shownlayout()
{
    return state.cancel ? cancellayout : form4layout;
}

void OnCreate(HWND window)
{
    state.window = window;
    Buildwindow(window, Shownlayout(), state.fonts);
}

void OnCancel()
{
    if (!state.cancel) return;
    EnableWindow(Item(Command1), FALSE);
    SetWindowTextW(Item(Label1), L"キャンセルしています...");
    state.cancel();
}

// The window is drawn at once, without a look at the message queue: the copying goes on on this
// thread, and no other message may run in the middle of it.
void Drawnow()
{
    RedrawWindow(state.window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

LRESULT CALLBACK Form4proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CREATE: OnCreate(window); return 0;
    case WM_DPICHANGED: Changedpi(window, Shownlayout(), state.fonts, wparam, lparam); return 0;
    case WM_COMMAND:
        if (LOWORD(wparam) == Command1 || LOWORD(wparam) == IDCANCEL) OnCancel();
        return 0;
    // Work without a cancel button cannot be left half done.
    case WM_CLOSE: OnCancel(); return 0;
    case WM_DESTROY: state.window = nullptr; return 0;
    case WM_NCDESTROY:
        state.fonts = Windowfonts{};
        break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}
}

void Showform4(HWND owner, const std::wstring& title, const std::wstring& text, std::function<void()> cancel)
{
    // The face follows the work: a window open for other work is made anew.
    if (state.window && bool(cancel) != bool(state.cancel)) DestroyWindow(state.window);
    state.cancel = std::move(cancel);
    if (!state.window) {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        if (!Registerwindowclass(instance, classname, Form4proc)) return;
        CreateWindowExW(WS_EX_DLGMODALFRAME, classname, title.c_str(), WS_OVERLAPPED | WS_CAPTION, CW_USEDEFAULT,
                        CW_USEDEFAULT, 400, 100, owner, nullptr, instance, nullptr);
        if (!state.window) return;
    }
    SetWindowTextW(state.window, title.c_str());
    SetWindowTextW(Item(Label1), text.c_str());
    SendMessageW(Item(Progress1), PBM_SETPOS, 0, 0);
    ShowWindow(state.window, SW_SHOWNORMAL);
    // Space or Enter then presses the button.
    if (state.cancel) SetFocus(Item(Command1));
    UpdateWindow(state.window);
}

void Setform4progress(int done, int total)
{
    if (!state.window) return;
    SendMessageW(Item(Progress1), PBM_SETRANGE32, 0, total > 0 ? total : 1);
    SendMessageW(Item(Progress1), PBM_SETPOS, WPARAM(done), 0);
    Drawnow();
}

void Setform4text(const std::wstring& text)
{
    if (!state.window) return;
    SetWindowTextW(Item(Label1), text.c_str());
    Drawnow();
}

void Unloadform4()
{
    if (state.window) DestroyWindow(state.window);
    state.cancel = nullptr;
}

HWND Form4()
{
    return state.window;
}

const Windowlayout& Form4layout(bool cancel)
{
    return cancel ? cancellayout : form4layout;
}
