#include "soundsets.h"

#include "folders.h"
#include "handles.h"
#include "keylist.h"
#include "listfiles.h"
#include "playable.h"
#include "schemetable.h"
#include "text.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <map>
#include <set>
#include <string_view>

std::wstring setsfolder;

namespace {
constexpr wchar_t setmagic[] = L"Kvx sound set 1";
constexpr char utf8mark[] = "\xEF\xBB\xBF";
// A set file of a few thousand events is a few hundred kilobytes.
constexpr uint64_t maxsetbytes = 16u << 20;
// A RIFF file holds at most 4 GiB after its first 8 bytes.
constexpr uint64_t maxsoundbytes = 0xFFFFFFFFull + 8;

// Fields are separated by tabs and lines by CR LF: those, and "%" itself, are written %XX.
std::wstring Escapefield(const std::wstring& text)
{
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'%' || c == L'\t' || c == L'\r' || c == L'\n') {
            wchar_t code[4];
            std::swprintf(code, 4, L"%%%02X", unsigned(c));
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::wstring> Unescapefield(const std::wstring& text)
{
    std::wstring out;
    for (size_t k = 0; k < text.size(); ++k) {
        if (text[k] != L'%') {
            out += text[k];
            continue;
        }
        if (k + 2 >= text.size() || !std::iswxdigit(text[k + 1]) || !std::iswxdigit(text[k + 2])) return std::nullopt;
        out += wchar_t(std::wcstoul(text.substr(k + 1, 2).c_str(), nullptr, 16));
        k += 2;
    }
    return out;
}

bool Writewhole(const std::wstring& path, const std::string& bytes)
{
    Kernelhandle file =
        Ownfile(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
           written == bytes.size() && FlushFileBuffers(file.get());
}

// A path inside a set's folder: relative, every part a plain file name, none "..". Such a path
// reaches nothing outside the folder, whatever Windows makes of it.
std::optional<std::wstring> Insidepath(std::wstring path)
{
    std::replace(path.begin(), path.end(), L'/', L'\\');
    if (path.empty() || path.front() == L'\\') return std::nullopt;
    for (size_t at = 0;;) {
        size_t end = path.find(L'\\', at);
        std::wstring part = path.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at);
        if (!Plainfilename(part) || part.find_first_not_of(L". ") == std::wstring::npos) return std::nullopt;
        if (end == std::wstring::npos) return path;
        at = end + 1;
    }
}

// The same name with " (2)", " (3)"... before its extension.
std::wstring Numbered(const std::wstring& name, int n)
{
    size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos || dot == 0) dot = name.size();
    return name.substr(0, dot) + L" (" + std::to_wstring(n) + L")" + name.substr(dot);
}

// Copies source to base\relative, making the folders of relative below base, never base itself:
// a base that went away meanwhile fails the copy instead of being made again half empty.
bool Copyinto(const std::wstring& source, const std::wstring& base, const std::wstring& relative)
{
    for (size_t slash = relative.find(L'\\'); slash != std::wstring::npos; slash = relative.find(L'\\', slash + 1)) {
        std::wstring folder = base + L"\\" + relative.substr(0, slash);
        if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return CopyFileW(source.c_str(), (base + L"\\" + relative).c_str(), TRUE) != FALSE;
}

std::wstring Lasterror(const std::wstring& what)
{
    return what + L"\r\n" + Errortext(GetLastError());
}

// The sounds of the lists, as a set: each file once, under the first event that lists it.
struct Exportplan {
    Soundset set;
    std::vector<std::pair<std::wstring, std::wstring>> copies;  // source, relative path
    int leftout = 0;
};

Exportplan Planexport(const std::wstring& name)
{
    Exportplan plan;
    plan.set.name = name;
    plan.set.version = kvxversion;
    std::map<std::wstring, std::wstring> placed;  // folded source path: relative path
    std::set<std::wstring> used;                  // folded relative paths
    std::set<std::wstring> missing;
    Foreachevent([&](int16_t app, int16_t event) {
        int16_t count = soundlists.Count(app, event);
        if (count == 0) return;
        Setevent listed{apps[0].names[size_t(app - 1)], apps[size_t(app)].names[size_t(event)], Eventtext(app, event), {}};
        std::wstring folder = Escapename(listed.app) + L"\\" + Escapename(listed.event);
        for (int16_t k = 0; k < count; ++k) {
            std::wstring source = soundlists.Get(app, event, k);
            if (Checksound(source) != Soundstate::playable) {
                missing.insert(Foldcase(source));
                continue;
            }
            std::wstring& relative = placed[Foldcase(source)];
            if (relative.empty()) {
                std::wstring file = Escapename(Lastname(source));
                relative = folder + L"\\" + file;
                for (int n = 2; used.contains(Foldcase(relative)); ++n) relative = folder + L"\\" + Numbered(file, n);
                used.insert(Foldcase(relative));
                plan.copies.emplace_back(source, relative);
            }
            listed.sounds.push_back(relative);
        }
        if (!listed.sounds.empty()) plan.set.events.push_back(std::move(listed));
    });
    plan.leftout = int(missing.size());
    return plan;
}

std::string Setfile(const Soundset& set)
{
    std::wstring text = std::wstring(setmagic) + L"\r\n";
    text += L"name\t" + Escapefield(set.name) + L"\r\nversion\t" + Escapefield(set.version) + L"\r\n";
    for (const Setevent& event : set.events) {
        text += L"event\t" + Escapefield(event.app) + L"\t" + Escapefield(event.event) + L"\t" + Escapefield(event.label) +
                L"\r\n";
        for (const std::wstring& sound : event.sounds) text += L"sound\t" + Escapefield(sound) + L"\r\n";
    }
    return utf8mark + Toutf8(text);
}

std::vector<std::wstring> Splitfields(const std::wstring& line)
{
    std::vector<std::wstring> fields;
    for (size_t at = 0;;) {
        size_t tab = line.find(L'\t', at);
        fields.push_back(line.substr(at, tab == std::wstring::npos ? std::wstring::npos : tab - at));
        if (tab == std::wstring::npos) return fields;
        at = tab + 1;
    }
}

// The parsed lines of a set file, or the fault.
Setread Parseset(const std::wstring& text, const std::wstring& foldername)
{
    Setread read;
    Soundset set;
    set.name = foldername;
    size_t at = 0;
    for (int number = 1; at <= text.size(); ++number) {
        size_t end = text.find(L'\n', at);
        std::wstring line = text.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at);
        at = end == std::wstring::npos ? text.size() + 1 : end + 1;
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (number == 1) {
            if (line != setmagic) {
                read.fault = std::wstring(setfilename) + L" はサウンドセットのファイルではありません。";
                return read;
            }
            continue;
        }
        if (line.empty()) continue;
        std::vector<std::wstring> fields = Splitfields(line);
        std::vector<std::wstring> values;
        for (size_t k = 1; k < fields.size(); ++k) {
            std::optional<std::wstring> value = Unescapefield(fields[k]);
            if (!value) break;
            values.push_back(*value);
        }
        const std::wstring& word = fields[0];
        bool parsed = values.size() == fields.size() - 1;
        if (parsed && word == L"name" && values.size() == 1 && !values[0].empty())
            set.name = values[0];
        else if (parsed && word == L"version" && values.size() == 1)
            set.version = values[0];
        else if (parsed && word == L"event" && values.size() == 3 && !values[0].empty() && !values[1].empty())
            set.events.push_back({values[0], values[1], values[2], {}});
        else if (parsed && word == L"sound" && values.size() == 1 && !set.events.empty())
            set.events.back().sounds.push_back(values[0]);
        else {
            read.fault = std::to_wstring(number) + L" 行目を読めません。\r\n" + line.substr(0, 200);
            return read;
        }
    }
    read.set = std::move(set);
    return read;
}

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
    if (!Writewhole(building + L"\\" + setfilename, Setfile(plan.set)))
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

Setread Readset(const std::wstring& folder)
{
    Setread read;
    std::wstring path = folder + L"\\" + setfilename;
    std::optional<uint64_t> size = Filesize(path);
    if (!size) {
        read.fault = L"このフォルダーには " + std::wstring(setfilename) + L" がありません。\r\n" + folder;
        return read;
    }
    std::optional<std::string> bytes = Readfile(path, maxsetbytes);
    if (!bytes) {
        read.fault = std::wstring(setfilename) + (*size > maxsetbytes ? L" が大きすぎます。" : L" を読めません。");
        return read;
    }
    std::string_view body(*bytes);
    if (body.starts_with(utf8mark)) body.remove_prefix(3);
    std::optional<std::wstring> text = Fromutf8(std::string(body));
    if (!text) {
        read.fault = std::wstring(setfilename) + L" に文字として読めない部分があります。";
        return read;
    }
    read = Parseset(*text, Lastname(folder));
    if (!read.set) return read;
    // Every sound it names is checked before anything is copied or changed.
    for (Setevent& event : read.set->events) {
        std::wstring where = event.app + L"\\" + event.event;
        if (event.sounds.size() > size_t(Soundtable::capacity)) {
            read.fault = where + L" のサウンドが 101 個を超えています。";
            break;
        }
        if (event.app.find(L'\\') != std::wstring::npos || event.event.find(L'\\') != std::wstring::npos) {
            read.fault = L"イベントの名前が正しくありません: " + where;
            break;
        }
        for (std::wstring& sound : event.sounds) {
            std::optional<std::wstring> inside = Insidepath(sound);
            if (!inside) {
                read.fault = L"フォルダーの外を指すパスがあります: " + sound;
                break;
            }
            sound = *inside;
            std::wstring file = folder + L"\\" + sound;
            std::optional<uint64_t> filesize = Filesize(file);
            if (!filesize)
                read.fault = L"サウンドファイルが見つかりません: " + sound;
            else if (*filesize > maxsoundbytes)
                read.fault = L"サウンドファイルとしては大きすぎるファイルがあります: " + sound;
            else if (Checksound(file) != Soundstate::playable)
                read.fault = L"再生できる WAV ファイルではないファイルがあります: " + sound;
            if (!read.fault.empty()) break;
        }
        if (!read.fault.empty()) break;
    }
    if (!read.fault.empty()) read.set.reset();
    return read;
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
