#include "soundsets.h"

#include "folders.h"
#include "keylist.h"
#include "listfiles.h"
#include "convertedcopies.h"
#include "listedsounds.h"
#include "schemetable.h"
#include "setfile.h"
#include "soundfolders.h"
#include "text.h"

#include <windows.h>

#include <map>
#include <optional>
#include <set>

namespace {
// The same name with " (2)", " (3)"... before its extension.
std::wstring Numbered(const std::wstring& name, int n)
{
    size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos || dot == 0) dot = name.size();
    return name.substr(0, dot) + L" (" + std::to_wstring(n) + L")" + name.substr(dot);
}

// Whether a sound goes into a set: the user's own file, converted or not (a set never carries
// Kvx's copies). A file named as a wave file that is none plays nowhere, as before.
bool Carried(const std::wstring& source)
{
    Copystate state = Copyfor(source).state;
    return state == Copystate::wave || state == Copystate::ready ||
           (state == Copystate::pending && Convertiblename(source));
}

// The sounds of the lists, as a set: each file or folder once, under the first event that lists it.
struct Exportplan {
    Soundset set;
    std::vector<std::pair<std::wstring, std::wstring>> copies;  // source, relative path
    int leftout = 0;
    std::set<std::wstring> used;  // folded relative paths

    // A relative path in folder for name that no other sound or folder has: name, "name (2)"...
    std::wstring Place(const std::wstring& folder, const std::wstring& name)
    {
        std::wstring relative = folder + L"\\" + name;
        for (int n = 2; used.contains(Foldcase(relative)); ++n) relative = folder + L"\\" + Numbered(name, n);
        used.insert(Foldcase(relative));
        return relative;
    }
    // Where a listed sound goes in the set, its copies planned; nothing when nothing of it goes.
    std::optional<std::wstring> Carry(const std::wstring& source, const std::wstring& folder)
    {
        if (!Isfolderentry(source)) {
            if (!Carried(source)) return std::nullopt;
            std::wstring relative = Place(folder, Escapename(Lastname(source)));
            copies.emplace_back(source, relative);
            return relative;
        }
        // A folder goes with the sounds it holds now, and only when it holds some.
        // The files are read by their own names; only their names in the set are escaped.
        std::vector<std::wstring> names;
        std::wstring relative = Place(folder, Escapename(Lastname(Folderpath(source)))) + L"\\";
        for (const std::wstring& name : Listfolder(source)->names) {
            if (!Carried(Folderfile(source, name))) continue;
            names.push_back(Escapename(name));
            copies.emplace_back(Folderfile(source, name), relative + names.back());
        }
        if (names.empty()) return std::nullopt;
        set.folders[relative] = std::move(names);
        return relative;
    }
};

Exportplan Planexport(const std::wstring& name)
{
    Exportplan plan;
    plan.set.name = name;
    plan.set.version = kvxversion;
    std::map<std::wstring, std::wstring> placed;  // folded source path: relative path
    std::set<std::wstring> missing;
    Foreachevent([&](int16_t app, int16_t event) {
        int16_t count = soundlists.Count(app, event);
        if (count == 0) return;
        Setevent listed{apps[0].names[size_t(app - 1)], apps[size_t(app)].names[size_t(event)], Eventtext(app, event), {}};
        std::wstring folder = Escapename(listed.app) + L"\\" + Escapename(listed.event);
        for (int16_t k = 0; k < count; ++k) {
            std::wstring source = soundlists.Get(app, event, k), key = Foldcase(source);
            auto found = placed.find(key);
            if (found == placed.end() && !missing.contains(key)) {
                std::optional<std::wstring> relative = plan.Carry(source, folder);
                if (relative)
                    found = placed.emplace(key, *relative).first;
                else
                    missing.insert(key);
            }
            if (found != placed.end()) listed.sounds.push_back(found->second);
        }
        if (!listed.sounds.empty()) plan.set.events.push_back(std::move(listed));
    });
    plan.leftout = int(missing.size());
    return plan;
}
}

bool Exporttargetfree(const std::wstring& folder)
{
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && Foldernames(folder).empty();
}

Exportresult Exportset(const std::wstring& folder, const std::wstring& name, const Setprogress& progress)
{
    Exportresult result;
    if (!Exporttargetfree(folder)) {
        result.why = L"書き出し先のフォルダーが空ではありません。空のフォルダーか新しいフォルダーを選んでください。\r\n" + folder;
        return result;
    }
    std::wstring parent = Parentfolder(folder);
    if (parent.empty() || !Createfolders(parent)) {
        result.why = Lasterror(L"書き出し先のフォルダーを作れません。\r\n" + folder);
        return result;
    }
    Exportplan plan = Planexport(name);
    // Built beside the target, so that its renaming at the end is one step on the same disk.
    std::wstring building;
    for (int n = 0; n < 100 && building.empty(); ++n) {
        std::wstring candidate = folder + L".kvxtmp" + std::to_wstring(GetTickCount64() % 100000 + uint64_t(n));
        if (CreateDirectoryW(candidate.c_str(), nullptr)) building = candidate;
    }
    if (building.empty()) {
        result.why = Lasterror(L"書き出し先に書き込めません。\r\n" + parent);
        return result;
    }
    auto fail = [&](const std::wstring& why) {
        result.why = why;
        Removetree(building);
        return result;
    };
    int done = 0;
    for (const auto& [source, relative] : plan.copies) {
        if (!Copyinto(source, building, relative))
            return fail(Lasterror(L"サウンドをコピーできませんでした。\r\n" + source));
        if (progress) progress(++done, int(plan.copies.size()));
    }
    if (!Replacefile(building + L"\\" + setfilename, Setfilebytes(plan.set), L"set"))
        return fail(Lasterror(std::wstring(setfilename) + L" を書き込めませんでした。"));
    // An empty target folder steps aside for the set, and goes once the set is in its place, or
    // comes back when the set cannot take it (a folder open elsewhere cannot be renamed).
    std::wstring aside = building + L".old";
    bool stepped = Isfolder(folder);
    if (stepped && !MoveFileExW(folder.c_str(), aside.c_str(), 0))
        return fail(Lasterror(L"書き出し先のフォルダーを使えません。\r\n" + folder));
    if (!MoveFileExW(building.c_str(), folder.c_str(), MOVEFILE_WRITE_THROUGH)) {
        std::wstring why = Lasterror(L"書き出したサウンドセットを置けませんでした。\r\n" + folder);
        if (stepped) MoveFileExW(aside.c_str(), folder.c_str(), 0);
        return fail(why);
    }
    if (stepped) RemoveDirectoryW(aside.c_str());
    result.done = true;
    result.written = int(plan.copies.size());
    result.leftout = plan.leftout;
    return result;
}
