#include "form4.h"

#include <commctrl.h>

namespace {
using namespace form4;

constexpr wchar_t classname[] = L"KvxForm4";

const Controlspec layout[] = {
    {Label1, WC_STATICW, L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0, {120, 120, 5760, 255}},
    {Progress1, PROGRESS_CLASSW, L"", PBS_SMOOTH, 0, {120, 480, 5760, 255}},
};

const Windowlayout form4layout{layout, {}, {}, 6000, 855};

struct Form4state {
    HWND window = nullptr;
    Windowfonts fonts;
};
Form4state state;

HWND Item(int id)
{
    return GetDlgItem(state.window, id);
}

void OnCreate(HWND window)
{
    state.window = window;
    Buildwindow(window, form4layout, state.fonts);
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
    case WM_DPICHANGED: Changedpi(window, form4layout, state.fonts, wparam, lparam); return 0;
    // The work it shows cannot be left half done.
    case WM_CLOSE: return 0;
    case WM_DESTROY: state.window = nullptr; return 0;
    case WM_NCDESTROY:
        state.fonts = Windowfonts{};
        break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}
}

void Showform4(HWND owner, const std::wstring& title, const std::wstring& text)
{
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
    UpdateWindow(state.window);
}

void Setform4progress(int done, int total)
{
    if (!state.window) return;
    SendMessageW(Item(Progress1), PBM_SETRANGE32, 0, total > 0 ? total : 1);
    SendMessageW(Item(Progress1), PBM_SETPOS, WPARAM(done), 0);
    Drawnow();
}

void Unloadform4()
{
    if (state.window) DestroyWindow(state.window);
}

HWND Form4()
{
    return state.window;
}

const Windowlayout& Form4layout()
{
    return form4layout;
}
