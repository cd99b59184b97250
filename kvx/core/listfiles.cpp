#include "listfiles.h"

#include "handles.h"
#include "schemetable.h"
#include "settings.h"
#include "text.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cwchar>
#include <optional>

std::wstring listfolder;

namespace {
// A list holds 101 paths; reading stops well before a huge stray file could fill memory.
constexpr DWORD maxreadbytes = 4u << 20;

std::optional<std::vector<std::wstring>> Readlistfile(const std::wstring& path)
{
    Kernelhandle file = Ownfile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::vector<std::wstring> entries;
    std::string line;
    bool pendingcr = false;
    auto endline = [&] {
        // Blank lines name no sound; the writer never writes one.
        if (!line.empty()) entries.push_back(Fromansi(line));
        line.clear();
    };
    std::array<char, 65536> chunk;
    DWORD total = 0;
    while (entries.size() < size_t(Soundtable::capacity) && total < maxreadbytes) {
        DWORD got = 0;
        if (!ReadFile(file.get(), chunk.data(), DWORD(chunk.size()), &got, nullptr)) return std::nullopt;
        if (got == 0) break;
        total += got;
        for (DWORD i = 0; i < got && entries.size() < size_t(Soundtable::capacity); ++i) {
            char c = chunk[i];
            if (c == '\n') {
                if (!pendingcr) endline();
                pendingcr = false;
            } else if (c == '\r') {
                endline();
                pendingcr = true;
            } else {
                pendingcr = false;
                line.push_back(c);
            }
        }
    }
    if (entries.size() < size_t(Soundtable::capacity)) endline();
    return entries;
}

bool Writeall(HANDLE file, const std::string& bytes)
{
    DWORD written = 0;
    return bytes.empty() ||
           (WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size());
}

// Writes a sibling temporary file and moves it over the list file, so a failure or a crash
// mid-write never leaves a half-written list behind.
bool Replacelistfile(const std::wstring& path, const std::vector<std::wstring>& entries)
{
    std::array<wchar_t, MAX_PATH + 1> temp{};
    if (!GetTempFileNameW(listfolder.c_str(), L"kvx", 0, temp.data())) return false;
    std::string bytes;
    for (const std::wstring& entry : entries) bytes += Toansi(entry) + "\r\n";
    bool ok = false;
    {
        Kernelhandle file = Ownfile(
            CreateFileW(temp.data(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ok = file && Writeall(file.get(), bytes) && FlushFileBuffers(file.get());
    }
    ok = ok && MoveFileExW(temp.data(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileW(temp.data());
    return ok;
}

void Storecount(int16_t app, int16_t event, size_t count)
{
    Savesetting(Countkey(app, event), std::to_wstring(count));
}
}

std::wstring Escapename(const std::wstring& name)
{
    static constexpr wchar_t forbidden[] = L"\\/:*?\"<>|";
    std::wstring out;
    for (wchar_t c : name) {
        if (c < 0x20 || std::wcschr(forbidden, c)) {
            // Every such character is ASCII: two hex digits keep the longest key name's file name
            // within the system's limit.
            wchar_t code[4];
            std::swprintf(code, 4, L"%%%02X", unsigned(c));
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

std::wstring Listfilename(int16_t app, int16_t event)
{
    return listfolder + L"\\" + Escapename(apps[0].names[size_t(app - 1)]) + L"-" + std::to_wstring(event) + L".dat";
}

void Loaddata(int16_t app, int16_t event)
{
    if (!Validevent(app, event)) return;
    std::wstring path = Listfilename(app, event);
    auto entries = Readlistfile(path);
    if (!entries) {
        // Usually the file does not exist yet: create it empty (never truncating) and read again.
        Kernelhandle created = Ownfile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        created.reset();
        entries = Readlistfile(path);
    }
    // A file that exists but cannot be read holds a list nobody has seen: it must not be
    // overwritten. One that cannot even be created holds nothing.
    soundlists.Setreadable(app, event, entries.has_value() || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES);
    std::vector<std::wstring> list = entries.value_or(std::vector<std::wstring>{});
    for (size_t k = 0; k < list.size(); ++k) soundlists.Set(app, event, int16_t(k), list[k]);
    Storecount(app, event, list.size());
}

bool Savedata(int16_t app, int16_t event, const std::vector<std::wstring>& entries)
{
    if (!Validevent(app, event)) return false;
    // A file that could not be read is never replaced: there is nothing to store while the list
    // is left empty, and anything else would drop the entries it holds.
    if (!soundlists.Readable(app, event)) return entries.empty();
    size_t n = std::min(entries.size(), size_t(Soundtable::capacity));
    std::vector<std::wstring> kept(entries.begin(), entries.begin() + std::ptrdiff_t(n));
    if (!Replacelistfile(Listfilename(app, event), kept)) return false;
    for (size_t k = 0; k < n; ++k) soundlists.Set(app, event, int16_t(k), kept[k]);
    soundlists.Setreadable(app, event, true);
    Storecount(app, event, n);
    return true;
}

void Loadalllists()
{
    Foreachevent(Loaddata);
}
