#include "listedit.h"

#include "folders.h"
#include "listfiles.h"
#include "originals.h"
#include "playable.h"
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
    for (std::wstring& name : Foldernames(folder))
        if (Endswithwav(name) && !Isfolder(folder + L"\\" + name)) names.push_back(std::move(name));
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

Additions Appendsounds(HWND list2, const std::vector<std::wstring>& paths)
{
    Additions additions;
    if (!Validevent(curapp, curevent) || !soundlists.Readable(curapp, curevent)) return additions;
    for (const std::wstring& path : paths) {
        if (path.empty()) continue;
        if (Checksound(path) != Soundstate::playable) {
            additions.refused.push_back(path);
        } else if (!Listhasroom(list2)) {
            ++additions.leftout;
        } else if (SendMessageW(list2, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str())) >= 0) {
            // LB_ADDSTRING on an unsorted list appends and leaves the selection alone.
            ++additions.added;
        }
    }
    return additions;
}

std::wstring Additionnote(const Additions& additions)
{
    // A drop of a whole folder may refuse hundreds: the first few are named.
    constexpr size_t named = 10;
    std::wstring note;
    if (!additions.refused.empty()) {
        note = L"次のファイルは再生できる WAV ファイルではないため、追加しませんでした。";
        for (size_t k = 0; k < std::min(named, additions.refused.size()); ++k) note += L"\r\n" + additions.refused[k];
        if (additions.refused.size() > named)
            note += L"\r\nほか " + std::to_wstring(additions.refused.size() - named) + L" 個";
    }
    if (additions.leftout > 0)
        note += std::wstring(note.empty() ? L"" : L"\r\n\r\n") + L"サウンドリストには " + std::to_wstring(Soundtable::capacity) + L" 個までしか入らないため、" +
                std::to_wstring(additions.leftout) + L" 個のファイルを追加しませんでした。";
    return note;
}

Additions Addsound(HWND owner, HWND list2)
{
    if (!Canadd(list2)) return {};
    std::wstring filter = std::wstring(L"Wavファイル") + L'\0' + L"*.wav";
    return Appendsounds(list2, {Openfiledlg(owner, filter, Startfolder(), L"サウンドファイルの追加")});
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
    // A missing file, or one that cannot play, would silence the event.
    if (Checksound(path) != Soundstate::playable) return Outcome::failed;
    std::optional<Currentvalue> current = Opencurrent(curapp, curevent);
    return current && Writecurrent(curapp, curevent, *current, path) ? Outcome::done : Outcome::failed;
}

std::vector<std::wstring> Droppedsounds(HDROP drop)
{
    std::vector<std::wstring> sounds;
    auto take = [&sounds](const std::wstring& path) {
        if (Endswithwav(path)) sounds.push_back(path);
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

std::vector<std::wstring> Pastedsounds(HWND owner)
{
    std::vector<std::wstring> sounds;
    // Another program may hold the clipboard for a moment.
    bool opened = false;
    for (int tries = 0; tries < 5 && !(opened = OpenClipboard(owner) != FALSE); ++tries) Sleep(20);
    if (!opened) return sounds;
    // The clipboard keeps what it holds: the files are read, not taken.
    if (HANDLE files = GetClipboardData(CF_HDROP)) sounds = Droppedsounds(static_cast<HDROP>(files));
    CloseClipboard();
    return sounds;
}
