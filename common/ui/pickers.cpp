#include "pickers.h"

#include "registry.h"
#include "text.h"

#include <commdlg.h>
#include <shlobj.h>

#include <array>

std::function<std::wstring(const Openfilerequest&)> openfilehook;
std::function<std::wstring(HWND, const std::wstring&)> browsefolderhook;
std::function<int(HWND, const std::wstring&, const std::wstring&, UINT)> messagehook;

namespace {
constexpr DWORD pathbuffer = 256;
constexpr DWORD openflags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;  // 0x81804
}

std::wstring Browsefolder(HWND owner, const std::wstring& title)
{
    if (browsefolderhook) return browsefolderhook(owner, title);
    std::string caption = Toansi(title);
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.lpszTitle = caption.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST item = SHBrowseForFolderA(&info);
    std::array<char, MAX_PATH> path{};
    if (item) {
        SHGetPathFromIDListA(item, path.data());
        CoTaskMemFree(item);
    }
    return Cutnull(Fromansi(std::string(path.data(), path.size())));
}

std::wstring Openfiledlg(HWND owner, const std::wstring& filter, const std::wstring& initialdir, const std::wstring& title)
{
    if (openfilehook) return openfilehook(Openfilerequest{owner, filter, initialdir, title});
    // The filter list ends with two NULs.
    std::string filterbytes = Toansi(filter);
    filterbytes.append(2, '\0');
    std::string folder = Toansi(initialdir);
    std::string caption = Toansi(title);
    std::array<char, pathbuffer> file{};
    std::array<char, pathbuffer> filetitle{};
    OPENFILENAMEA request{};
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    request.hwndOwner = owner;
    request.hInstance = GetModuleHandleW(nullptr);
    request.lpstrFilter = filterbytes.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = file.data();
    request.nMaxFile = pathbuffer;
    request.lpstrFileTitle = filetitle.data();
    request.nMaxFileTitle = pathbuffer;
    request.lpstrInitialDir = folder.c_str();
    request.lpstrTitle = caption.c_str();
    request.Flags = openflags;
    if (!GetOpenFileNameA(&request)) return {};
    std::wstring chosen = Cutnull(Fromansi(std::string(file.data(), file.size())));
    // The chosen file exists (OFN_FILEMUSTEXIST); a path that does not is one cut short by the
    // buffer, which some implementations return instead of failing.
    if (GetFileAttributesW(chosen.c_str()) == INVALID_FILE_ATTRIBUTES) return {};
    return chosen;
}

void Dropcombo(HWND container, HWND combo)
{
    LRESULT itemheight = SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0);
    RECT r{};
    GetWindowRect(combo, &r);
    POINT topleft{r.left, r.top};
    ScreenToClient(container, &topleft);
    MoveWindow(combo, topleft.x, topleft.y, r.right - r.left, int(32 * itemheight), TRUE);
    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
}

int Showmessage(HWND owner, const std::wstring& text, const std::wstring& title, UINT flags)
{
    if (messagehook) return messagehook(owner, text, title, flags);
    return MessageBoxW(owner, text.c_str(), title.c_str(), flags);
}
