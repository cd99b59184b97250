#include "listfiles.h"

#include "folders.h"
#include "handles.h"
#include "registry.h"
#include "schemetable.h"
#include "settings.h"
#include "text.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cwchar>
#include <cwctype>
#include <optional>
#include <string_view>
#include <unordered_map>

std::wstring listfolder;

namespace {
// GetTempFileName names the save's temporary files <prefix><1 to 4 hex digits>.tmp.
constexpr wchar_t tempprefix[] = L"kvx";
}

namespace {
// A list holds 101 paths; reading stops well before a huge stray file could fill memory.
constexpr DWORD maxreadbytes = 4u << 20;
// A .Current value holds 1023 bytes: a longer line could never be made a current sound.
constexpr size_t maxlinechars = 1023;

constexpr char utf16lemark[] = "\xFF\xFE";
constexpr char utf16bemark[] = "\xFE\xFF";

struct Listread {
    std::vector<std::wstring> entries;
    Listencoding encoding = Listencoding::ansi;
    uint8_t unread = unreadnone;
};

// Text in a multibyte code page; bytes that are not text in it are marked in unread.
std::wstring Decode(UINT codepage, std::string_view bytes, uint8_t& unread)
{
    if (bytes.empty()) return {};
    int size = MultiByteToWideChar(codepage, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), nullptr, 0);
    DWORD flags = MB_ERR_INVALID_CHARS;
    if (size <= 0) {
        unread |= unreadnottext;
        flags = 0;
        size = MultiByteToWideChar(codepage, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    }
    std::wstring text(size_t(std::max(size, 0)), L'\0');
    if (size > 0) MultiByteToWideChar(codepage, flags, bytes.data(), int(bytes.size()), text.data(), size);
    return text;
}

std::wstring Decodeutf16(std::string_view bytes, bool bigendian, uint8_t& unread)
{
    if (bytes.size() % 2) unread |= unreadnottext;
    std::wstring text(bytes.size() / 2, L'\0');
    for (size_t k = 0; k < text.size(); ++k) {
        auto first = unsigned(static_cast<unsigned char>(bytes[2 * k]));
        auto second = unsigned(static_cast<unsigned char>(bytes[2 * k + 1]));
        text[k] = wchar_t(bigendian ? (first << 8 | second) : (second << 8 | first));
    }
    return text;
}

// The entries of a list file's text: one per line, lines ending in CR LF, LF or a lone CR;
// blank lines name no sound (the writer never writes one).
void Splitlines(const std::wstring& text, Listread& read)
{
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find_first_of(L"\r\n", at);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(at, end - at);
        at = end + (text.compare(end, 2, L"\r\n") == 0 ? 2 : 1);
        if (line.empty()) continue;
        if (std::any_of(line.begin(), line.end(), [](wchar_t c) { return (c < 0x20 && c != L'\t') || c == 0xFFFD; }))
            read.unread |= unreadnottext;
        if (line.size() > maxlinechars) {
            read.unread |= unreadtoolong;
            continue;
        }
        if (read.entries.size() == size_t(Soundtable::capacity)) {
            read.unread |= unreadtoomany;
            return;
        }
        read.entries.push_back(std::move(line));
    }
}

std::optional<Listread> Readlistfile(const std::wstring& path)
{
    Kernelhandle file = Ownfile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size)) return std::nullopt;
    Listread read;
    if (size.QuadPart > maxreadbytes) read.unread |= unreadtoolarge;
    std::string bytes(size_t(std::min<LONGLONG>(size.QuadPart, maxreadbytes)), '\0');
    for (size_t done = 0; done < bytes.size();) {
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes.data() + done, DWORD(bytes.size() - done), &got, nullptr)) return std::nullopt;
        if (got == 0) {
            bytes.resize(done);  // the file shrank meanwhile
            break;
        }
        done += got;
    }
    std::string_view view(bytes);
    std::wstring text;
    if (view.starts_with(utf8mark)) {
        read.encoding = Listencoding::utf8;
        text = Decode(CP_UTF8, view.substr(3), read.unread);
    } else if (view.starts_with(utf16lemark) || view.starts_with(utf16bemark)) {
        bool bigendian = view.starts_with(utf16bemark);
        read.encoding = bigendian ? Listencoding::utf16be : Listencoding::utf16le;
        text = Decodeutf16(view.substr(2), bigendian, read.unread);
    } else {
        text = Decode(CP_ACP, view, read.unread);
    }
    Splitlines(text, read);
    return read;
}

// The bytes of a list file in its encoding, with its byte-order mark.
std::string Encode(const std::vector<std::wstring>& entries, Listencoding encoding)
{
    std::wstring text;
    for (const std::wstring& entry : entries) text += entry + L"\r\n";
    switch (encoding) {
    case Listencoding::ansi: return Toansi(text);
    case Listencoding::utf8: return utf8mark + Toutf8(text);
    case Listencoding::utf16le:
    case Listencoding::utf16be: {
        bool bigendian = encoding == Listencoding::utf16be;
        std::string bytes = bigendian ? utf16bemark : utf16lemark;
        for (wchar_t c : text) {
            char high = char(unsigned(c) >> 8), low = char(unsigned(c) & 0xFF);
            bytes += bigendian ? high : low;
            bytes += bigendian ? low : high;
        }
        return bytes;
    }
    }
    return {};
}

// CON, PRN, AUX, NUL, COM0-COM9 and LPT0-LPT9 (also with the superscript digits ¹ ² ³) in any
// case, with blanks or dots after them: names Windows takes for devices.
bool Isdevicename(std::wstring base)
{
    while (!base.empty() && (base.back() == L' ' || base.back() == L'.')) base.pop_back();
    for (wchar_t& c : base) c = wchar_t(std::towupper(c));
    if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL") return true;
    return base.size() == 4 && (base.starts_with(L"COM") || base.starts_with(L"LPT")) &&
           ((base[3] >= L'0' && base[3] <= L'9') || base[3] == L'\u00B9' || base[3] == L'\u00B2' || base[3] == L'\u00B3');
}

// The stored list counts by value name, read at once for a whole start-up.
using Storedcounts = std::unordered_map<std::wstring, std::wstring>;

// Writes the count only when it differs from the one stored (known: the stored counts when
// already read): a start-up on unchanged lists writes nothing.
bool Storecount(int16_t app, int16_t event, size_t count, const Storedcounts* known = nullptr)
{
    soundlists.Setcount(app, event, int16_t(count));
    std::wstring key = Countkey(app, event);
    std::wstring text = std::to_wstring(count);
    std::wstring stored;
    if (!known)
        stored = Getsetting(key, L"");
    else if (auto found = known->find(key); found != known->end())
        stored = found->second;
    return stored == text || Savesetting(key, text);
}
}

bool Plainfilename(const std::wstring& name)
{
    if (name.empty() || name.back() == L'.' || name.back() == L' ') return false;
    if (Isdevicename(name.substr(0, name.find(L'.')))) return false;
    return std::none_of(name.begin(), name.end(),
                        [](wchar_t c) { return c < 0x20 || std::wcschr(L"\\/:*?\"<>|", c) != nullptr; });
}

std::wstring Escapename(const std::wstring& name)
{
    static constexpr wchar_t forbidden[] = L"\\/:*?\"<>|%";
    // Every character escaped is ASCII: two hex digits keep the longest key name's file name
    // within the system's limit.
    return Percentescape(name, [&name](size_t k, wchar_t c) {
        return c < 0x20 || std::wcschr(forbidden, c) ||
               // Windows opens "AUX.b-0.dat" as the device AUX.
               (k == 0 && Isdevicename(name.substr(0, name.find(L'.')))) ||
               // A trailing dot or blank is dropped by Windows from a name.
               (k + 1 == name.size() && (c == L'.' || c == L' '));
    });
}

namespace {
// What an application's list file names hold before the event's number.
std::wstring Liststem(int16_t app)
{
    return listfolder + L"\\" + Escapename(apps[0].names[size_t(app - 1)]) + L"-";
}
}

std::wstring Listfilename(int16_t app, int16_t event)
{
    return Liststem(app) + std::to_wstring(event) + L".dat";
}

namespace {
// Loads a valid event's list from its file at path.
void Loadlist(int16_t app, int16_t event, const std::wstring& path, const Storedcounts* known)
{
    auto read = Readlistfile(path);
    if (!read) {
        // Usually the file does not exist yet: create it empty (never truncating) and read again.
        Kernelhandle created = Ownfile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        created.reset();
        read = Readlistfile(path);
    }
    // A file that exists but cannot be read holds a list nobody has seen: it must not be
    // overwritten. One that cannot even be created holds nothing.
    soundlists.Setreadable(app, event, read.has_value() || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES);
    Listread list = std::move(read).value_or(Listread{});
    soundlists.Setfileform(app, event, list.encoding, list.unread);
    size_t count = list.entries.size();
    soundlists.Setfirst(app, event, std::move(list.entries));
    Storecount(app, event, count, known);
}
}

void Loaddata(int16_t app, int16_t event)
{
    if (Validevent(app, event)) Loadlist(app, event, Listfilename(app, event), nullptr);
}


bool Savedata(int16_t app, int16_t event, const std::vector<std::wstring>& entries)
{
    if (!Validevent(app, event)) return false;
    // A file that could not be read is never replaced: there is nothing to store while the list
    // is left empty, and anything else would drop the entries it holds.
    if (!soundlists.Readable(app, event)) return entries.empty();
    size_t n = std::min(entries.size(), size_t(Soundtable::capacity));
    std::vector<std::wstring> kept(entries.begin(), entries.begin() + std::ptrdiff_t(n));
    Listencoding encoding = soundlists.Encoding(app, event);
    // A path the code page cannot spell would be written as another path: such a list goes over
    // to UTF-8 with its byte-order mark, as Notepad writes it. A list that fits keeps its form.
    if (encoding == Listencoding::ansi && !std::all_of(kept.begin(), kept.end(), Fitsansi))
        encoding = Listencoding::utf8;
    // Replaced in one step, through a temporary file in the list folder (kvx<hex>.tmp).
    if (!Replacefile(Listfilename(app, event), Encode(kept, encoding), tempprefix)) return false;
    soundlists.Setfirst(app, event, std::move(kept));
    soundlists.Setreadable(app, event, true);
    // The file now holds exactly what is shown.
    soundlists.Setfileform(app, event, encoding, unreadnone);
    // A count left stale would show the list cut short or padded.
    return Storecount(app, event, n);
}

void Loadalllists()
{
    Storedcounts known;
    for (Regvalue& value : Getregvalues(HKEY_CURRENT_USER, settingskey)) {
        known.emplace(std::move(value.name), value.data.Text());
        // Let go of each value's bytes at once: a large tree stores tens of thousands of counts.
        std::string().swap(value.data.bytes);
    }
    // An application's name is escaped once for all its lists.
    int16_t named = 0;
    std::wstring stem;
    Foreachevent([&](int16_t app, int16_t event) {
        if (!Validevent(app, event)) return;
        if (app != named) stem = Liststem(named = app);
        Loadlist(app, event, stem + std::to_wstring(event) + L".dat", &known);
    });
}

std::wstring Unreadnote(int16_t app, int16_t event)
{
    static constexpr std::pair<uint8_t, const wchar_t*> parts[] = {
        {unreadtoomany, L"101 番目より後のサウンド"},
        {unreadtoolong, L"長すぎる行"},
        {unreadnottext, L"文字として読めない部分"},
        {unreadtoolarge, L"4 MB を超える部分"},
    };
    uint8_t unread = Validevent(app, event) ? soundlists.Unreadparts(app, event) : uint8_t(unreadnone);
    std::wstring note;
    for (auto [flag, text] : parts)
        if (unread & flag) note += (note.empty() ? L"" : L"、") + std::wstring(text);
    return note;
}

int Removeleftovers()
{
    int removed = 0;
    WIN32_FIND_DATAW found;
    Findhandle search = Ownfind(FindFirstFileW((listfolder + L"\\" + tempprefix + L"*.tmp").c_str(), &found));
    if (!search) return 0;
    do {
        std::wstring_view name(found.cFileName);
        // The pattern matches short names too: the long name itself must be kvx<hex>.tmp.
        bool ours = name.size() >= 8 && name.size() <= 11 && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                    Sametext(name.substr(0, 3), tempprefix) && Endswithtext(name, L".tmp") &&
                    std::all_of(name.begin() + 3, name.end() - 4, [](wchar_t c) { return std::iswxdigit(c) != 0; });
        if (!ours) continue;
        // Opened without sharing, the file goes when closed; a file in use is not opened.
        Kernelhandle file = Ownfile(CreateFileW((listfolder + L"\\" + found.cFileName).c_str(), DELETE, 0, nullptr,
                                                OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (file) ++removed;
    } while (FindNextFileW(search.get(), &found));
    return removed;
}

bool Listfolderwritable()
{
    // Made as a save makes its temporary file, so a cut-short run leaves only what start-up removes.
    std::array<wchar_t, MAX_PATH + 1> temp{};
    if (!GetTempFileNameW(listfolder.c_str(), tempprefix, 0, temp.data())) return false;
    DeleteFileW(temp.data());
    return true;
}
