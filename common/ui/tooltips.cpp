#include "tooltips.h"

#include <commctrl.h>

HWND Createtooltips(HWND owner)
{
    return CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)), nullptr);
}

void Addtooltip(HWND tips, HWND control, const wchar_t* text)
{
    TTTOOLINFOW tool{};
    // The version-2 size is understood by every common-controls version.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(text);
    SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Addtooltips(HWND tips, HWND window, std::span<const Tooltiprow> rows)
{
    for (const Tooltiprow& row : rows) Addtooltip(tips, GetDlgItem(window, row.id), row.text);
}
