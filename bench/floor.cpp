#include "floor.h"

#include "convertedcopies.h"
#include "keylist.h"
#include "registry.h"
#include "schemetable.h"
#include "settings.h"
#include "tree.h"

#include <algorithm>

namespace {
std::wstring Wide(const char* bytes, size_t length)
{
    int size = MultiByteToWideChar(CP_ACP, 0, bytes, int(length), nullptr, 0);
    std::wstring out(size_t(std::max(size, 0)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes, int(length), out.data(), size);
    return out;
}

std::wstring Defaultvalue(HKEY key)
{
    wchar_t buffer[1024];
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
        return {};
    buffer[size / sizeof(wchar_t)] = L'\0';
    return buffer;
}

std::vector<std::wstring> Readlist(const std::wstring& path)
{
    std::vector<std::wstring> entries;
    Kernelhandle file = Ownfile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return entries;
    std::string bytes;
    char chunk[8192];
    DWORD got = 0;
    // A short read of a disk file is its end: a small list costs one read.
    while (ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
        if (got < sizeof chunk) break;
    }
    size_t at = 0;
    while (at < bytes.size() && entries.size() < size_t(Soundtable::capacity)) {
        size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) end = bytes.size();
        if (end > at) entries.push_back(Wide(bytes.data() + at, end - at));
        at = end + 2;
    }
    return entries;
}

// Every value of the key in one sweep, as text.
std::unordered_map<std::wstring, std::wstring> Allvalues(HKEY key)
{
    std::unordered_map<std::wstring, std::wstring> values;
    wchar_t name[256];
    wchar_t data[1024];
    for (DWORD i = 0;; ++i) {
        DWORD namelength = 256;
        DWORD size = sizeof data - sizeof(wchar_t);
        LONG got = RegEnumValueW(key, i, name, &namelength, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
        if (got == ERROR_NO_MORE_ITEMS) break;
        if (got != ERROR_SUCCESS) continue;
        data[size / sizeof(wchar_t)] = L'\0';
        values.emplace(std::wstring(name, namelength), data);
    }
    return values;
}

struct Lookresult {
    bool there = false;
    FILETIME written{};
};
Lookresult Look(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return {};
    return {true, data.ftLastWriteTime};
}

std::vector<std::wstring> Soundsin(const std::wstring& entry)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    Findhandle search = Ownfind(FindFirstFileW((entry + L"*").c_str(), &found));
    if (!search) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
    } while (FindNextFileW(search.get(), &found));
    std::sort(names.begin(), names.end());
    return names;
}

bool Isfolder(const std::wstring& entry) { return entry.size() > 1 && entry.back() == L'\\'; }
}

Floortable Loadfloor(const std::wstring& folder)
{
    Floortable table;
    Regkey settings;
    RegCreateKeyExW(HKEY_CURRENT_USER, settingskey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                    settings.put(), nullptr);
    table.settings = Allvalues(settings.get());

    if (Regkey labels = Openkey(HKEY_CURRENT_USER, labelsroot, KEY_READ)) {
        table.labelnames = Subkeys(labels.get());
        for (const std::wstring& name : table.labelnames)
            table.labeltexts.push_back(Defaultvalue(Openkey(labels.get(), name, KEY_QUERY_VALUE).get()));
    }

    Regkey root = Openkey(HKEY_CURRENT_USER, appsroot, KEY_READ);
    if (!root) return table;
    for (std::wstring& appname : Subkeys(root.get())) {
        Floorapp app{std::move(appname), {}, {}};
        std::vector<std::wstring> events;
        if (Regkey key = Openkey(root.get(), app.name, KEY_READ)) {
            app.text = Defaultvalue(key.get());
            events = Subkeys(key.get());
        } else {
            continue;
        }
        for (size_t j = 0; j < events.size(); ++j) {
            std::wstring number = std::to_wstring(j);
            Floorevent event{std::move(events[j]), Readlist(folder + L"\\" + app.name + L"-" + number + L".dat")};
            std::wstring countname = L"listcount" + app.name + L"-" + number;
            std::wstring count = std::to_wstring(event.sounds.size());
            auto stored = table.settings.find(countname);
            if (stored == table.settings.end() || stored->second != count)
                Setstring(settings.get(), countname.c_str(), count);
            app.events.push_back(std::move(event));
        }
        table.apps.push_back(std::move(app));
    }
    return table;
}

Floorknown Learnfloor(const Floortable& table)
{
    Floorknown known;
    for (const Floorapp& app : table.apps)
        for (const Floorevent& event : app.events)
            for (const std::wstring& sound : event.sounds) {
                if (Isfolder(sound)) {
                    if (!known.folders.contains(sound))
                        known.folders.emplace(sound, Floorfolder{Look(sound.substr(0, sound.size() - 1)).written,
                                                                 Soundsin(sound)});
                } else if (!sound.ends_with(L".wav") && !known.copies.contains(sound)) {
                    known.copies.emplace(sound, Copyfor(sound).path);
                }
            }
    return known;
}

void Floorpass(const Floortable& table, Floorknown& known, Floorrecords& records, std::mt19937& random)
{
    Regkey root = Openkey(HKEY_CURRENT_USER, appsroot, KEY_ENUMERATE_SUB_KEYS);
    if (!root) return;
    Regkey recordkey;
    std::vector<const Floorfolder*> folders;
    for (const Floorapp& app : table.apps) {
        Regkey key = Openkey(root.get(), app.name, KEY_ENUMERATE_SUB_KEYS);
        if (!key) continue;
        for (const Floorevent& event : app.events) {
            if (event.sounds.empty()) continue;
            Regkey current = Openkey(key.get(), event.name + L"\\.Current", KEY_QUERY_VALUE | KEY_SET_VALUE);
            if (!current) continue;
            wchar_t now[1024];
            DWORD size = sizeof now - sizeof(wchar_t);
            DWORD type = REG_SZ;
            if (RegQueryValueExW(current.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(now), &size) !=
                ERROR_SUCCESS)
                size = 0;
            now[size / sizeof(wchar_t)] = L'\0';
            // The candidates: each file entry, and each sound of a folder entry's folder, which is
            // looked at once and listed again only when its time changed.
            folders.assign(event.sounds.size(), nullptr);
            size_t pool = 0;
            for (size_t k = 0; k < event.sounds.size(); ++k) {
                const std::wstring& entry = event.sounds[k];
                if (!Isfolder(entry)) {
                    ++pool;
                    continue;
                }
                Floorfolder& folder = known.folders[entry];
                Lookresult look = Look(entry.substr(0, entry.size() - 1));
                if (CompareFileTime(&look.written, &folder.written) != 0) folder = {look.written, Soundsin(entry)};
                folders[k] = &folder;
                pool += folder.names.size();
            }
            if (pool == 0) continue;
            size_t pick = random() % pool;
            std::wstring sound;
            for (size_t k = 0; sound.empty(); ++k) {
                size_t members = folders[k] ? folders[k]->names.size() : 1;
                if (pick < members)
                    sound = folders[k] ? event.sounds[k] + folders[k]->names[pick] : event.sounds[k];
                else
                    pick -= members;
            }
            // A converted sound plays as its copy: one look at the source, one at the copy.
            auto copy = known.copies.find(sound);
            if (!Look(sound).there || (copy != known.copies.end() && !Look(copy->second).there)) continue;
            const std::wstring& played = copy != known.copies.end() ? copy->second : sound;
            if (played == now) continue;
            std::wstring recordname = app.name + L"\\" + event.name;
            if (!records.recorded.contains(recordname)) {
                if (!recordkey)
                    RegCreateKeyExW(HKEY_CURRENT_USER, records.keypath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                    recordkey.put(), nullptr);
                if (RegSetValueExW(recordkey.get(), recordname.c_str(), 0, type, reinterpret_cast<const BYTE*>(now),
                                   size) != ERROR_SUCCESS)
                    continue;
                records.recorded.insert(std::move(recordname));
            }
            Setstring(current.get(), nullptr, played);
        }
    }
}
