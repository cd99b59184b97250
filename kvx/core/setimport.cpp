#include "soundsets.h"

#include "folders.h"
#include "keylist.h"
#include "listfiles.h"
#include "schemetable.h"
#include "soundfolders.h"
#include "text.h"

#include <windows.h>

#include <algorithm>
#include <set>

std::wstring setsfolder;

namespace {
// The folder for a new import of the set: never one that is there already.
std::wstring Newsetfolder(const std::wstring& name)
{
    std::wstring base = Escapename(name.empty() ? std::wstring(L"set") : name);
    std::wstring folder = setsfolder + L"\\" + base;
    for (int n = 2; GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES; ++n)
        folder = setsfolder + L"\\" + base + L" (" + std::to_wstring(n) + L")";
    return folder;
}

// Index of the table's key named name (as Windows compares names), or -1.
int16_t Findkey(const Keylist& list, const std::wstring& name)
{
    for (int16_t k = 0; k <= list.last; ++k)
        if (Sametext(list.names[size_t(k)], name)) return k;
    return -1;
}

// The sound files of a folder the set names, as checked.
const std::vector<std::wstring>& Foldersounds(const Soundset& set, const std::wstring& relative)
{
    static const std::vector<std::wstring> none;
    auto found = set.folders.find(relative);
    return found != set.folders.end() ? found->second : none;
}

// Whether a list's entry holds what the set's sound at path does: a file the same bytes; a folder
// entry names that folder, or one holding sound files of the same names and bytes (the set
// imported before).
bool Holds(const std::wstring& entry, const std::wstring& path, const std::vector<std::wstring>& names)
{
    if (Isfolderentry(entry) != Isfolderentry(path)) return false;
    if (!Isfolderentry(path)) return Samecontent(entry, path);
    if (Sametext(entry, path)) return true;
    std::shared_ptr<const Folderlisting> held = Listfolder(entry);
    return held->fault == Folderfault::none &&
           std::equal(held->names.begin(), held->names.end(), names.begin(), names.end(), Sametext) &&
           std::all_of(names.begin(), names.end(), [&](const std::wstring& name) {
               return Samecontent(Folderfile(entry, name), Folderfile(path, name));
           });
}
}

Importplan Planimport(const Soundset& set, const std::wstring& folder)
{
    Importplan plan;
    for (const Setevent& listed : set.events) {
        std::wstring where = listed.app + L"\\" + listed.event;
        int16_t app = int16_t(Findkey(apps[0], listed.app) + 1);
        int16_t event = app >= 1 && size_t(app) < apps.size() ? Findkey(apps[size_t(app)], listed.event) : int16_t(-1);
        if (!Validevent(app, event)) {
            if (std::find(plan.lacking.begin(), plan.lacking.end(), where) == plan.lacking.end())
                plan.lacking.push_back(where);
            continue;
        }
        if (!soundlists.Readable(app, event) || soundlists.Unreadparts(app, event) != unreadnone) {
            if (std::find(plan.unreadable.begin(), plan.unreadable.end(), where) == plan.unreadable.end())
                plan.unreadable.push_back(where);
            continue;
        }
        auto found = std::find_if(plan.events.begin(), plan.events.end(),
                                  [&](const Importevent& e) { return e.app == app && e.event == event; });
        Importevent& adding = found != plan.events.end() ? *found : plan.events.emplace_back(Importevent{app, event, {}});
        std::vector<std::wstring> existing = Savedsounds(app, event);
        for (const std::wstring& sound : listed.sounds) {
            std::wstring file = folder + L"\\" + sound;
            // A sound the list holds already (see Holds), or the set names twice, is added once.
            bool twice = std::any_of(adding.sounds.begin(), adding.sounds.end(),
                                     [&](const std::wstring& s) { return Sametext(s, sound); }) ||
                         std::any_of(existing.begin(), existing.end(), [&](const std::wstring& e) {
                             return Holds(e, file, Foldersounds(set, sound));
                         });
            if (twice) {
                ++plan.duplicates;
            } else if (existing.size() + adding.sounds.size() >= size_t(Soundtable::capacity)) {
                ++plan.leftout;
            } else {
                adding.sounds.push_back(sound);
                ++plan.sounds;
                if (Isfolderentry(sound)) ++plan.folders;
            }
        }
    }
    std::erase_if(plan.events, [](const Importevent& e) { return e.sounds.empty(); });
    return plan;
}

Importresult Importset(const Soundset& set, const std::wstring& folder, const Importplan& plan,
                       const Setprogress& progress)
{
    Importresult result;
    if (plan.sounds == 0) {
        result.done = true;
        return result;
    }
    // Without its own folder (the system could not tell where) Kvx writes nowhere else.
    if (setsfolder.empty()) {
        result.why = L"サウンドセットを置くフォルダー（%LOCALAPPDATA%\\Kvx\\sets）がわかりません。";
        return result;
    }
    std::wstring target = Newsetfolder(set.name);
    if (!Createfolders(target)) {
        result.why = Lasterror(L"サウンドセットのフォルダーを作れません。\r\n" + target);
        return result;
    }
    // A folder's sound files are copied into a folder of its own, made even when it is empty.
    std::vector<std::wstring> copies, folders;
    std::set<std::wstring> seen;
    auto copy = [&](const std::wstring& relative) {
        if (seen.insert(Foldcase(relative)).second) copies.push_back(relative);
    };
    for (const Importevent& adding : plan.events)
        for (const std::wstring& sound : adding.sounds) {
            if (!Isfolderentry(sound)) {
                copy(sound);
            } else if (seen.insert(Foldcase(sound)).second) {
                folders.push_back(sound);
                for (const std::wstring& name : Foldersounds(set, sound)) copy(sound + name);
            }
        }
    auto fail = [&](const std::wstring& why) {
        result.why = Lasterror(why);
        Removetree(target);
        return result;
    };
    // Only below the new folder: one that went away meanwhile is not made again half empty.
    for (const std::wstring& made : folders)
        if (!Isfolder(target) || !Createfolders(target + L"\\" + Folderpath(made)))
            return fail(L"サウンドのフォルダーを作れませんでした。\r\n" + made);
    int done = 0;
    for (const std::wstring& sound : copies) {
        if (!Copyinto(folder + L"\\" + sound, target, sound)) return fail(L"サウンドをコピーできませんでした。\r\n" + sound);
        if (progress) progress(++done, int(copies.size()));
    }
    // The lists last. A list that cannot be saved (or whose count cannot be stored, after its
    // file was written) puts back every list touched, itself included; the copies go only when
    // no list names them any more.
    struct Before {
        int16_t app, event;
        std::vector<std::wstring> entries;
        Listencoding encoding;
    };
    std::vector<Before> touched;
    for (const Importevent& adding : plan.events) {
        std::vector<std::wstring> entries = Savedsounds(adding.app, adding.event);
        touched.push_back({adding.app, adding.event, entries, soundlists.Encoding(adding.app, adding.event)});
        size_t had = entries.size();
        // A folder's entry ends in "\" as its path in the set does.
        for (const std::wstring& sound : adding.sounds) entries.push_back(target + L"\\" + sound);
        if (!Savedata(adding.app, adding.event, entries)) {
            bool putback = true;
            for (const Before& back : touched) {
                // A list whose file was not replaced holds what it held.
                if (Savedsounds(back.app, back.event) == back.entries) continue;
                soundlists.Setfileform(back.app, back.event, back.encoding, unreadnone);
                putback &= Savedata(back.app, back.event, back.entries);
            }
            result.why = L"サウンドリストを保存できませんでした。\r\n" + Listfilename(adding.app, adding.event);
            if (putback) {
                Removetree(target);
                result.why += L"\r\nリストは元のままです。";
            } else
                result.why += L"\r\n元に戻せなかったリストがあります。コピーしたサウンドは残しています:\r\n" + target;
            return result;
        }
        // A list takes 101 sounds at most: only what it kept counts.
        result.added += int(std::min(entries.size(), size_t(Soundtable::capacity)) - had);
    }
    result.done = true;
    result.copiedto = target;
    return result;
}
