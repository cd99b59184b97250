#include "setfile.h"

#include "folders.h"
#include "listfiles.h"
#include "listedsounds.h"
#include "playable.h"
#include "schemetable.h"
#include "soundfolders.h"
#include "text.h"

#include <windows.h>

#include <algorithm>
#include <string_view>

namespace {
constexpr wchar_t setmagic[] = L"Kvx sound set 1";
// A set that names folders: a Kvx that knows only files checks just the first line, so only a
// line of their own makes it refuse them instead of taking a folder for a file.
constexpr wchar_t foldersetmagic[] = L"Kvx sound set 2";
// A set file of a few thousand events is a few hundred kilobytes.
constexpr uint64_t maxsetbytes = 16u << 20;
// A RIFF file holds at most 4 GiB after its first 8 bytes.
constexpr uint64_t maxsoundbytes = 0xFFFFFFFFull + 8;

// Fields are separated by tabs and lines by CR LF: those, and "%" itself, are written %XX.
std::wstring Escapefield(const std::wstring& text)
{
    return Percentescape(text, [](size_t, wchar_t c) { return c == L'%' || c == L'\t' || c == L'\r' || c == L'\n'; });
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
    bool folders = false;
    size_t at = 0;
    for (int number = 1; at <= text.size(); ++number) {
        size_t end = text.find(L'\n', at);
        std::wstring line = text.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at);
        at = end == std::wstring::npos ? text.size() + 1 : end + 1;
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (number == 1) {
            folders = line == foldersetmagic;
            if (line != setmagic && !folders) {
                read.fault = std::wstring(setfilename) + L" はサウンドセットのファイルではありません。";
                return read;
            }
            continue;
        }
        if (line.empty()) continue;
        std::vector<std::wstring> fields = Splitfields(line);
        std::vector<std::wstring> values;
        for (size_t k = 1; k < fields.size(); ++k) {
            std::optional<std::wstring> value = Percentunescape(fields[k]);
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
        // A "\" at the end would make a sound a folder.
        else if (parsed && word == L"sound" && values.size() == 1 && !set.events.empty() && !values[0].ends_with(L'\\'))
            set.events.back().sounds.push_back(values[0]);
        else if (parsed && folders && word == L"folder" && values.size() == 1 && !set.events.empty())
            set.events.back().sounds.push_back(values[0] + L"\\");
        else {
            read.fault = std::to_wstring(number) + L" 行目を読めません。\r\n" + line.substr(0, 200);
            return read;
        }
    }
    read.set = std::move(set);
    return read;
}

// Why the sound at path, which the set names relative, cannot be taken; empty when it can.
std::wstring Soundfault(const std::wstring& path, const std::wstring& relative)
{
    std::optional<uint64_t> size = Filesize(path);
    if (!size) return L"サウンドファイルが見つかりません: " + relative;
    if (*size > maxsoundbytes) return L"サウンドファイルとしては大きすぎるファイルがあります: " + relative;
    // A sound of another format is converted once it is listed, as an added one is.
    if (Checksound(path) != Soundstate::playable && !Convertiblename(path))
        return L"サウンドファイルではないファイルがあります: " + relative;
    return {};
}

// Why a folder the set names cannot be taken, or empty, with its sound files in names. Each of
// them is checked as a sound the set names is; an empty folder does no harm.
std::wstring Checkfolder(const std::wstring& setfolder, const std::wstring& relative, std::vector<std::wstring>& names)
{
    std::shared_ptr<const Folderlisting> listing = Listfolder(Folderentry(setfolder + L"\\" + relative));
    if (listing->fault != Folderfault::none) return L"サウンドのフォルダーを使えません: " + relative + Foldernote(*listing);
    for (const std::wstring& name : listing->names) {
        std::wstring fault = Soundfault(setfolder + L"\\" + relative + name, relative + name);
        if (!fault.empty()) return fault;
    }
    names = listing->names;
    return {};
}
}

std::string Setfilebytes(const Soundset& set)
{
    bool folders = std::any_of(set.events.begin(), set.events.end(), [](const Setevent& event) {
        return std::any_of(event.sounds.begin(), event.sounds.end(),
                           [](const std::wstring& sound) { return Isfolderentry(sound); });
    });
    std::wstring text = std::wstring(folders ? foldersetmagic : setmagic) + L"\r\n";
    text += L"name\t" + Escapefield(set.name) + L"\r\nversion\t" + Escapefield(set.version) + L"\r\n";
    for (const Setevent& event : set.events) {
        text += L"event\t" + Escapefield(event.app) + L"\t" + Escapefield(event.event) + L"\t" + Escapefield(event.label) +
                L"\r\n";
        for (const std::wstring& sound : event.sounds)
            text += Isfolderentry(sound) ? L"folder\t" + Escapefield(Folderpath(sound)) + L"\r\n"
                                         : L"sound\t" + Escapefield(sound) + L"\r\n";
    }
    return utf8mark + Toutf8(text);
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
            read.fault = where + L" のサウンドが " + std::to_wstring(Soundtable::capacity) + L" 個を超えています。";
            break;
        }
        if (event.app.find(L'\\') != std::wstring::npos || event.event.find(L'\\') != std::wstring::npos) {
            read.fault = L"イベントの名前が正しくありません: " + where;
            break;
        }
        for (std::wstring& sound : event.sounds) {
            bool isfolder = Isfolderentry(sound);
            std::optional<std::wstring> inside = Insidepath(isfolder ? Folderpath(sound) : sound);
            if (!inside) {
                read.fault = L"フォルダーの外を指すパスがあります: " + sound;
                break;
            }
            sound = *inside + (isfolder ? L"\\" : L"");
            read.fault = isfolder ? Checkfolder(folder, sound, read.set->folders[sound])
                                  : Soundfault(folder + L"\\" + sound, sound);
            if (!read.fault.empty()) break;
        }
        if (!read.fault.empty()) break;
    }
    if (!read.fault.empty()) read.set.reset();
    return read;
}
