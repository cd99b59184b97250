#include "pickers.h"

#include "registry.h"
#include "systemlibrary.h"
#include "text.h"

#include <commdlg.h>
#include <shlobj.h>

#include <array>
#include <vector>

std::function<std::wstring(const Openfilerequest&)> openfilehook;
std::function<std::wstring(HWND, const std::wstring&)> browsefolderhook;
std::function<int(HWND, const std::wstring&, const std::wstring&, UINT)> messagehook;
std::function<UINT(HMENU, POINT)> popupmenuhook;
std::function<void(const std::wstring&)> explorerhook;

namespace {
// Room for the longest path the system takes, in any characters.
constexpr DWORD pathbuffer = 1024;
constexpr DWORD openflags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;  // 0x81804

// The dialogs and Explorer's selection need COM on the thread. Joined at the first need and
// kept for the rest of the thread's life: what they leave behind may still use it.
void Needcom()
{
    thread_local bool ready = false;
    // A thread in another apartment may leave it later: it is asked again next time.
    if (!ready) ready = Joincom(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE) == Comjoin::joined;
}
}

UINT Showpopupmenu(HWND owner, HMENU popup, POINT at)
{
    if (popupmenuhook) return popupmenuhook(popup, at);
    return UINT(TrackPopupMenu(popup, TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, owner, nullptr));
}

void Showinexplorer(const std::wstring& path)
{
    if (explorerhook) return explorerhook(path);
    // A folder is selected in its parent, as a file is: the item itself, without its last "\".
    std::wstring item = path.size() > 3 && path.back() == L'\\' ? path.substr(0, path.size() - 1) : path;
    Needcom();
    PIDLIST_ABSOLUTE list = nullptr;
    if (FAILED(SHParseDisplayName(item.c_str(), nullptr, &list, 0, nullptr))) return;
    SHOpenFolderAndSelectItems(list, 0, nullptr, 0);
    ILFree(list);
}

std::wstring Browsefolder(HWND owner, const std::wstring& title, bool canmake)
{
    if (browsefolderhook) return browsefolderhook(owner, title);
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = title.c_str();
    // The dialog with the button that makes a folder.
    info.ulFlags = BIF_RETURNONLYFSDIRS | (canmake ? BIF_NEWDIALOGSTYLE : 0);
    Needcom();
    LPITEMIDLIST item = SHBrowseForFolderW(&info);
    std::array<wchar_t, MAX_PATH> path{};
    if (item) {
        SHGetPathFromIDListW(item, path.data());
        ILFree(item);
    }
    return Cutnull(std::wstring(path.data(), path.size()));
}

std::wstring Openfiledlg(HWND owner, const std::wstring& filter, const std::wstring& initialdir, const std::wstring& title)
{
    if (openfilehook) return openfilehook(Openfilerequest{owner, filter, initialdir, title});
    // The filter list ends with two NULs.
    std::wstring filterlist = filter;
    filterlist.append(2, L'\0');
    std::vector<wchar_t> file(pathbuffer);
    std::vector<wchar_t> filetitle(pathbuffer);
    OPENFILENAMEW request{};
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    request.hwndOwner = owner;
    request.hInstance = GetModuleHandleW(nullptr);
    request.lpstrFilter = filterlist.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = file.data();
    request.nMaxFile = pathbuffer;
    request.lpstrFileTitle = filetitle.data();
    request.nMaxFileTitle = pathbuffer;
    request.lpstrInitialDir = initialdir.c_str();
    request.lpstrTitle = title.c_str();
    request.Flags = openflags;
    // The common dialogs come with the printing system: loaded when a file is first picked.
    static const auto open = Systemfunction<decltype(&GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
    Needcom();
    if (!open || !open(&request)) return {};
    std::wstring chosen = Cutnull(std::wstring(file.data(), file.size()));
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
