#include "window.h"

#include "resources.h"

#include <algorithm>

bool Registerwindowclass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(instance, name, &wc)) return true;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    // Shared resources, released with the module.
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_KVX));
    wc.hIconSm = Smallicon(instance);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0;
}

HICON Smallicon(HINSTANCE instance)
{
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_KVX), IMAGE_ICON,
                                         GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

void Buildwindow(HWND window, const Windowlayout& layout, Windowfonts& fonts)
{
    UINT dpi = Windowdpi(window);
    Sizeclient(window, layout.clientwidth, layout.clientheight, dpi);
    Createcontrols(window, layout.controls, dpi, nullptr);
    Applyfonts(window, layout.controls, layout.headings, dpi, fonts);
    if (layout.tooltips.empty()) return;
    // Owned by the window, so it goes with it.
    Addtooltips(Createtooltips(window), window, layout.tooltips);
}

void Changedpi(HWND window, const Windowlayout& layout, Windowfonts& fonts, WPARAM wparam, LPARAM lparam)
{
    // Both words carry the new DPI; they differ only on monitors with non-square pixels.
    UINT dpi = HIWORD(wparam);
    const RECT& suggested = *reinterpret_cast<const RECT*>(lparam);
    SetWindowPos(window, nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Sizeclient(window, layout.clientwidth, layout.clientheight, dpi);
    Placecontrols(window, layout.controls, dpi);
    Applyfonts(window, layout.controls, layout.headings, dpi, fonts);
}

LRESULT Colorstatic(HWND window, const Windowlayout& layout, HDC dc, HWND control)
{
    int id = GetDlgCtrlID(control);
    auto heading = std::find(layout.headings.begin(), layout.headings.end(), id);
    bool isheading = heading != layout.headings.end() && GetParent(control) == window;
    // Other labels keep the system's text colour, so dark and high-contrast schemes stay readable.
    SetTextColor(dc, isheading ? headingcolours[size_t(heading - layout.headings.begin()) % std::size(headingcolours)]
                               : GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

bool Routecommand(std::span<const Commandroute> routes, int id, WORD code)
{
    for (const Commandroute& route : routes) {
        if (route.id != id || route.code != code) continue;
        route.handler();
        return true;
    }
    return false;
}
