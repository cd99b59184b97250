#include "listedit.h"

#include "convertedcopies.h"
#include "folders.h"
#include "form4.h"
#include "handles.h"
#include "listedsounds.h"
#include "soundfolders.h"
#include "changer.h"
#include "messagewait.h"
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
#include <atomic>
#include <thread>

namespace {
// Converts the sounds on a thread of their own, the window's messages handled meanwhile, while
// the progress window tells how far it has come. A cancel stops the conversion under way (which
// leaves no file) and those after it.
std::vector<Soundcopy> Convertshowingprogress(HWND owner, const std::vector<std::wstring>& sounds)
{
    std::vector<Soundcopy> copies(sounds.size(), Soundcopy{Copystate::cancelled, {}, {}});
    std::atomic<bool> cancel{false};
    std::atomic<size_t> done{0};
    Kernelhandle finished(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!finished) return copies;
    // The user waits for the list, as for a dialog: the window takes no other input meanwhile.
    bool enabled = owner && !EnableWindow(owner, FALSE);
    Showform4(owner, L"サウンドを変換しています", L"", [&cancel] { cancel = true; });
    std::thread worker([&] {
        Mediascope media;
        for (size_t k = 0; k < sounds.size() && !cancel; ++k) {
            copies[k] = Convertsound(sounds[k], cancel);
            done = k + 1;
        }
        SetEvent(finished.get());
    });
    size_t shown = size_t(-1);
    while (!Waitwithmessages(finished.get(), 100)) {
        // The session ends under it (the window is gone): what is left is not wanted.
        if (owner && !IsWindow(owner)) cancel = true;
        size_t now = std::min(done.load(), sounds.size() - 1);
        if (now == shown) continue;
        shown = now;
        Setform4text(std::to_wstring(now + 1) + L" / " + std::to_wstring(sounds.size()) + L": " + Lastname(sounds[now]));
        Setform4progress(int(now), int(sounds.size()));
    }
    worker.join();
    // The owner first, as a dialog's end does: it is then what the system activates.
    if (enabled) EnableWindow(owner, TRUE);
    Unloadform4();
    return copies;
}

bool Listed(HWND list2, const std::wstring& entry)
{
    std::vector<std::wstring> rows = Listrows(list2);
    return std::any_of(rows.begin(), rows.end(), [&entry](const std::wstring& row) { return Sametext(row, entry); });
}

std::wstring Whyrefused(const Soundcopy& copy)
{
    switch (copy.state) {
    case Copystate::missing: return L"見つかりません";
    case Copystate::refused: return Refusaltext(copy.refused);
    default: return {};
    }
}
}

std::vector<std::wstring> Soundfilesin(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    for (std::wstring& name : Foldernames(folder))
        if (Soundfilename(name) && !Isfolder(folder + L"\\" + name)) names.push_back(std::move(name));
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
    // One look at each; the sounds to convert go together, under one progress window.
    std::vector<Soundcopy> copies;
    std::vector<std::wstring> toconvert;
    for (const std::wstring& path : paths) {
        // A folder entry is taken as it is: its sounds are what it holds when a pass runs.
        copies.push_back(path.empty()           ? Soundcopy{}
                         : Isfolderentry(path) ? Soundcopy{Copystate::wave, path, {}}
                                               : Copyfor(path));
        if (copies.back().state == Copystate::pending) toconvert.push_back(path);
    }
    if (!toconvert.empty()) {
        std::vector<Soundcopy> converted = Convertshowingprogress(GetParent(list2), toconvert);
        for (size_t k = 0, next = 0; k < copies.size(); ++k)
            if (copies[k].state == Copystate::pending) copies[k] = converted[next++];
    }
    for (size_t k = 0; k < paths.size(); ++k) {
        const std::wstring& path = paths[k];
        if (path.empty()) continue;
        Copystate state = copies[k].state;
        if (state == Copystate::cancelled || state == Copystate::pending) {
            ++additions.cancelled;
        } else if (state != Copystate::wave && state != Copystate::ready) {
            additions.refused.push_back({path, Whyrefused(copies[k])});
        } else if (Isfolderentry(path) && Listed(list2, path)) {
            additions.refused.push_back({path, L"すでにリストにあります"});
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
        note = L"次のファイルは使えないため、追加しませんでした。";
        for (size_t k = 0; k < std::min(named, additions.refused.size()); ++k)
            note += L"\r\n" + additions.refused[k].path + L"（" + additions.refused[k].why + L"）";
        if (additions.refused.size() > named)
            note += L"\r\nほか " + std::to_wstring(additions.refused.size() - named) + L" 個";
    }
    if (additions.leftout > 0)
        note += std::wstring(note.empty() ? L"" : L"\r\n\r\n") + L"サウンドリストには " + std::to_wstring(Soundtable::capacity) + L" 個までしか入らないため、" +
                std::to_wstring(additions.leftout) + L" 個のファイルを追加しませんでした。";
    if (additions.cancelled > 0)
        note += std::wstring(note.empty() ? L"" : L"\r\n\r\n") + L"キャンセルしたため、変換していない " +
                std::to_wstring(additions.cancelled) + L" 個のファイルは追加しませんでした。";
    return note;
}

Additions Addsound(HWND owner, HWND list2)
{
    if (!Canadd(list2)) return {};
    std::wstring filter = L"サウンド ファイル" + std::wstring(1, L'\0') + Soundpatterns() + L'\0' + L"WAV ファイル" + L'\0' +
                          L"*.wav" + L'\0' + L"すべてのファイル" + L'\0' + L"*.*";
    return Appendsounds(list2, {Openfiledlg(owner, filter, Startfolder(), L"サウンドファイルの追加")});
}

Additions Addfolder(HWND owner, HWND list2)
{
    if (!Canadd(list2)) return {};
    std::wstring folder = Browsefolder(owner, L"サウンドのフォルダーを選んでください（フォルダーに後から入れたサウンドも使われます）");
    if (folder.empty()) return {};
    return Appendsounds(list2, {Folderentry(folder)});
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
    // A missing file, one that cannot play or a copy not made yet would silence the event; a
    // folder gives one of its sounds.
    std::optional<std::wstring> played = Playedentry(path);
    if (!played) return Outcome::failed;
    std::optional<Currentvalue> current = Opencurrent(curapp, curevent);
    return current && Writecurrent(curapp, curevent, *current, *played) ? Outcome::done : Outcome::failed;
}

std::vector<std::wstring> Droppedsounds(HDROP drop, bool foldersasentries)
{
    std::vector<std::wstring> sounds;
    auto take = [&sounds](const std::wstring& path) {
        if (Soundfilename(path)) sounds.push_back(path);
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
        if (foldersasentries)
            sounds.push_back(Folderentry(path));
        else
            for (const std::wstring& name : Soundfilesin(path)) take(path + L"\\" + name);
    }
    return sounds;
}

std::vector<std::wstring> Pastedsounds(HWND owner, bool foldersasentries)
{
    std::vector<std::wstring> sounds;
    // Another program may hold the clipboard for a moment.
    bool opened = false;
    for (int tries = 0; tries < 5 && !(opened = OpenClipboard(owner) != FALSE); ++tries) Sleep(20);
    if (!opened) return sounds;
    // The clipboard keeps what it holds: the files are read, not taken.
    if (HANDLE files = GetClipboardData(CF_HDROP)) sounds = Droppedsounds(static_cast<HDROP>(files), foldersasentries);
    CloseClipboard();
    return sounds;
}
