#include "listedit.h"

#include "changer.h"
#include "listfiles.h"
#include "originals.h"
#include "pickers.h"
#include "registry.h"
#include "schemetable.h"
#include "listbox.h"
#include "settings.h"
#include "text.h"

#include <algorithm>

namespace {
bool Endswithwav(const std::wstring& path)
{
    return path.size() > 4 && Endswithtext(path, L".wav");
}
}

std::vector<std::wstring> Wavfilesin(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*.wav").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        // The pattern matches short names too: the name itself must end in .wav.
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && Endswithwav(found.cFileName))
            names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    // In name order, as Explorer lists them.
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) == CSTR_LESS_THAN;
    });
    return names;
}

std::wstring Startfolder()
{
    return defdir.empty() ? listfolder : defdir;
}

bool Listhasroom(HWND list2)
{
    return SendMessageW(list2, LB_GETCOUNT, 0, 0) < Soundtable::capacity;
}

bool Canadd(HWND list2)
{
    return Validevent(curapp, curevent) && soundlists.Readable(curapp, curevent) && Listhasroom(list2);
}

bool Appendsound(HWND list2, const std::wstring& path)
{
    if (path.empty() || !Canadd(list2)) return false;
    // LB_ADDSTRING on an unsorted list appends and leaves the selection alone.
    return SendMessageW(list2, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str())) >= 0;
}

void Addsound(HWND owner, HWND list2)
{
    if (!Canadd(list2)) return;
    std::wstring filter = std::wstring(L"Wavファイル") + L'\0' + L"*.wav";
    Appendsound(list2, Openfiledlg(owner, filter, Startfolder(), L"サウンドファイルの追加"));
}

void Removesound(HWND list2)
{
    LRESULT row = SendMessageW(list2, LB_GETCURSEL, 0, 0);
    if (row == LB_ERR || !Validevent(curapp, curevent)) return;
    SendMessageW(list2, LB_DELETESTRING, WPARAM(row), 0);
}

Outcome Makecurrent(HWND list2)
{
    LRESULT row = SendMessageW(list2, LB_GETCURSEL, 0, 0);
    if (row == LB_ERR || !Validevent(curapp, curevent)) return Outcome::nothing;
    std::wstring path = Listrow(list2, int(row));
    // A missing file, or a path the ANSI code page cannot spell, would silence the event.
    if (!Soundexists(path) || !Fitsansi(path)) return Outcome::failed;
    std::optional<Currentvalue> current = Opencurrent(curapp, curevent);
    return current && Writecurrent(curapp, curevent, *current, path) ? Outcome::done : Outcome::failed;
}

std::vector<std::wstring> Droppedsounds(HDROP drop)
{
    std::vector<std::wstring> sounds;
    // A list holds ANSI paths, as the file dialog gives them: a name the code page cannot spell
    // would be stored as a different, broken path.
    auto take = [&sounds](const std::wstring& path) {
        if (Endswithwav(path) && Fitsansi(path)) sounds.push_back(path);
    };
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(size_t(DragQueryFileW(drop, i, nullptr, 0)) + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), UINT(path.size())));
        DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            take(path);
            continue;
        }
        for (const std::wstring& name : Wavfilesin(path)) take(path + L"\\" + name);
    }
    return sounds;
}
