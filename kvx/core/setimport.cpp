#include "soundsets.h"

#include "folders.h"
#include "keylist.h"
#include "listfiles.h"
#include "schemetable.h"
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
            // A sound the list holds already, by its bytes, or the set names twice, is added once.
            bool twice = std::any_of(adding.sounds.begin(), adding.sounds.end(),
                                     [&](const std::wstring& s) { return Sametext(s, sound); }) ||
                         std::any_of(existing.begin(), existing.end(),
                                     [&](const std::wstring& e) { return Samecontent(e, file); });
            if (twice) {
                ++plan.duplicates;
            } else if (existing.size() + adding.sounds.size() >= size_t(Soundtable::capacity)) {
                ++plan.leftout;
            } else {
                adding.sounds.push_back(sound);
                ++plan.sounds;
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
    std::vector<std::wstring> copies;
    std::set<std::wstring> seen;
    for (const Importevent& adding : plan.events)
        for (const std::wstring& sound : adding.sounds)
            if (seen.insert(Foldcase(sound)).second) copies.push_back(sound);
    int done = 0;
    for (const std::wstring& sound : copies) {
        if (!Copyinto(folder + L"\\" + sound, target, sound)) {
            result.why = Lasterror(L"サウンドをコピーできませんでした。\r\n" + sound);
            Removetree(target);
            return result;
        }
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
