#include "registry.h"

#include "text.h"

#include <winternl.h>

#include <algorithm>
#include <array>

std::vector<std::wstring> keynames;

namespace {
constexpr DWORD valuechars = 1024;  // a text of 1023 characters and its NUL
constexpr DWORD namebuffer = 80;
constexpr DWORD widenamebuffer = 256;  // key names hold at most 255 characters

std::wstring Textupto(const wchar_t* text, size_t length)
{
    return std::wstring(text, std::find(text, text + length, L'\0'));
}
}

std::wstring Regdata::Text() const
{
    if (!Isstring()) return {};
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    std::copy(bytes.begin(), bytes.begin() + std::ptrdiff_t(text.size() * sizeof(wchar_t)),
              reinterpret_cast<char*>(text.data()));
    return Cutnull(text);
}

Regdata Stringdata(const std::wstring& text, DWORD type)
{
    Regdata data{type, std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t))};
    return data;
}

Regkey Openforupdate(HKEY root, const std::wstring& keypath, bool create, LONG* result)
{
    Regkey key;
    constexpr REGSAM access = KEY_QUERY_VALUE | KEY_SET_VALUE;
    LONG opened = create ? RegCreateKeyExW(root, keypath.c_str(), 0, nullptr, 0, access, nullptr, key.put(), nullptr)
                         : RegOpenKeyExW(root, keypath.c_str(), 0, access, key.put());
    if (opened != ERROR_SUCCESS) key.reset();
    if (result) *result = opened;
    return key;
}

Regkey Openkey(HKEY parent, const std::wstring& keypath, REGSAM access)
{
    Regkey key;
    if (RegOpenKeyExW(parent, keypath.c_str(), 0, access, key.put()) != ERROR_SUCCESS) key.reset();
    return key;
}

namespace {
// Reads into a buffer of the given size first, growing it while the value is larger.
std::optional<Regdata> Queryvalue(HKEY key, const std::wstring& valuename, DWORD firstsize)
{
    if (!key) return Stringdata(L"");
    Regdata data;
    data.bytes.resize(firstsize);
    // A value may grow between the size query and the read: ask again, a few times.
    for (int tries = 0; tries < 4; ++tries) {
        DWORD size = DWORD(data.bytes.size());
        LONG got = RegQueryValueExW(key, valuename.c_str(), nullptr, &data.type,
                                    reinterpret_cast<BYTE*>(data.bytes.data()), &size);
        if (got == ERROR_FILE_NOT_FOUND) return Stringdata(L"");
        if (got == ERROR_MORE_DATA) {
            data.bytes.resize(size);
            continue;
        }
        if (got != ERROR_SUCCESS) return std::nullopt;
        data.bytes.resize(size);
        return data;
    }
    return std::nullopt;
}
}

std::optional<Regdata> Queryregdata(HKEY key, const std::wstring& valuename)
{
    return Queryvalue(key, valuename, valuechars * sizeof(wchar_t));
}

std::optional<Regdata> Queryregexact(HKEY key, const std::wstring& valuename)
{
    DWORD size = 0;
    LONG got = key ? RegQueryValueExW(key, valuename.c_str(), nullptr, nullptr, nullptr, &size) : ERROR_SUCCESS;
    if (got != ERROR_SUCCESS && got != ERROR_FILE_NOT_FOUND) return std::nullopt;
    return Queryvalue(key, valuename, size);
}

namespace {
// KEY_VALUE_PARTIAL_INFORMATION of the native interface, which hands a value over as stored.
struct Partialvalue {
    ULONG titleindex;
    ULONG type;
    ULONG length;
};
constexpr int keyvaluepartialinformation = 2;
constexpr LONG statusbufferoverflow = LONG(0x80000005);
constexpr LONG statusbuffertoosmall = LONG(0xC0000023);
constexpr LONG statusnotfound = LONG(0xC0000034);
using Queryvaluekey = LONG(NTAPI*)(HANDLE, UNICODE_STRING*, int, void*, ULONG, ULONG*);
}

std::optional<Regdata> Querystored(HKEY key, const std::wstring& valuename)
{
    static const auto query = reinterpret_cast<Queryvaluekey>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryValueKey")));
    if (!key) return Stringdata(L"");
    if (!query || valuename.size() * sizeof(wchar_t) > 0xFFFE) return Queryregexact(key, valuename);
    UNICODE_STRING name{USHORT(valuename.size() * sizeof(wchar_t)), USHORT(valuename.size() * sizeof(wchar_t)),
                        const_cast<wchar_t*>(valuename.c_str())};
    std::vector<ULONG64> buffer((sizeof(Partialvalue) + valuechars * sizeof(wchar_t)) / sizeof(ULONG64) + 1);
    // A value may grow between two reads: ask again, a few times.
    for (int tries = 0; tries < 4; ++tries) {
        ULONG needed = 0;
        LONG status = query(key, &name, keyvaluepartialinformation, buffer.data(), ULONG(buffer.size() * sizeof(ULONG64)),
                            &needed);
        if (status == statusnotfound) return Stringdata(L"");
        if (status == statusbufferoverflow || status == statusbuffertoosmall) {
            buffer.resize(needed / sizeof(ULONG64) + 1);
            continue;
        }
        if (status < 0) return std::nullopt;
        const auto* value = reinterpret_cast<const Partialvalue*>(buffer.data());
        const char* bytes = reinterpret_cast<const char*>(buffer.data()) + sizeof(Partialvalue);
        return Regdata{value->type, std::string(bytes, value->length)};
    }
    return std::nullopt;
}

bool Writeregdata(HKEY key, const std::wstring& valuename, const Regdata& value)
{
    if (!key) return false;
    const std::string* bytes = &value.bytes;
    // The system counts a string's NUL in when the character right after the given bytes is NUL,
    // whatever lies there: a value stored without its NUL would come back with one. Written from a
    // copy followed by a character that is not NUL (also when the count is odd), it stays exact.
    std::string padded;
    if (value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ) {
        padded = value.bytes + "\xFF\xFF";
        bytes = &padded;
    }
    return RegSetValueExW(key, valuename.c_str(), 0, value.type, reinterpret_cast<const BYTE*>(bytes->data()),
                          DWORD(value.bytes.size())) == ERROR_SUCCESS;
}

std::wstring Readregstr(HKEY key, const std::wstring& valuename)
{
    if (!key) return {};
    std::array<wchar_t, valuechars> buffer{};
    DWORD size = sizeof buffer;
    DWORD type = 0;
    // A longer value answers ERROR_MORE_DATA and reads as "".
    if (RegQueryValueExW(key, valuename.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return {};
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ)
        return Textupto(buffer.data(), size / sizeof(wchar_t));
    // Any other type is read as the ANSI interface reads it: its bytes as text.
    const char* bytes = reinterpret_cast<const char*>(buffer.data());
    return Fromansi(std::string(bytes, std::find(bytes, bytes + size, '\0')));
}

bool Writeregstr(HKEY key, const std::wstring& valuename, const std::wstring& data)
{
    return Writeregdata(key, valuename, Stringdata(data));
}

std::wstring Getregstr(HKEY root, const std::wstring& keypath, const std::wstring& valuename)
{
    Regkey key;
    if (RegOpenKeyExW(root, keypath.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return {};
    return Readregstr(key.get(), valuename);
}

bool Setregstr(HKEY root, const std::wstring& keypath, const std::wstring& valuename, const std::wstring& data)
{
    Regkey key;
    return RegCreateKeyExW(root, keypath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) ==
               ERROR_SUCCESS &&
           Writeregstr(key.get(), valuename, data);
}

int32_t Enumregkeys(HKEY root, const std::wstring& keypath)
{
    Regkey key;
    // Listing needs read access only: a key the user may read but not change still lists.
    if (RegOpenKeyExW(root, keypath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return -1;
    return Enumopenkey(key.get());
}

int32_t Enumopenkey(HKEY key)
{
    std::vector<std::wstring> names;
    for (DWORD index = 0;; ++index) {
        std::array<wchar_t, widenamebuffer> buffer{};
        DWORD length = widenamebuffer;
        if (RegEnumKeyExW(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        std::wstring name(buffer.data(), length);
        // Such a name is left out: the list files and counts name keys in the code page, and a
        // name it cannot spell ("Victim¥Open") would be taken for another key's ("Victim\Open").
        // So is one holding a NUL (made through the native interface): every path built from it
        // would end there and name another key.
        if (!Fitsansi(name) || name.find(L'\0') != std::wstring::npos) continue;
        // A name that does not fit the ANSI buffer ends the listing like the end of the list does.
        if (Toansi(name).size() >= namebuffer) break;
        names.push_back(std::move(name));
    }
    if (names.empty()) return -1;
    keynames = std::move(names);
    return int32_t(keynames.size()) - 1;
}

std::vector<Regvalue> Getregvalues(HKEY root, const std::wstring& keypath)
{
    std::vector<Regvalue> values;
    Regkey key;
    if (RegOpenKeyExW(root, keypath.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return values;
    DWORD longestname = 0, longestdata = 0;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestname,
                         &longestdata, nullptr, nullptr) != ERROR_SUCCESS)
        return values;
    std::vector<wchar_t> name(size_t(longestname) + 1);
    std::string data(std::max<DWORD>(longestdata, 2), '\0');
    int retries = 0;
    for (DWORD index = 0;;) {
        DWORD namelength = DWORD(name.size());
        DWORD size = DWORD(data.size());
        DWORD type = 0;
        LONG got = RegEnumValueW(key.get(), index, name.data(), &namelength, nullptr, &type,
                                 reinterpret_cast<BYTE*>(data.data()), &size);
        if (got == ERROR_NO_MORE_ITEMS) break;
        if (got == ERROR_MORE_DATA && ++retries <= 4) {
            // A value grew meanwhile: read the same one again with room for it.
            if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 &longestname, &longestdata, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            name.resize(std::max(name.size(), size_t(longestname) + 1));
            data.resize(std::max({data.size(), size_t(longestdata), size_t(size)}));
            continue;
        }
        ++index;
        retries = 0;
        if (got != ERROR_SUCCESS) continue;
        values.push_back({std::wstring(name.data(), namelength), Regdata{type, data.substr(0, size)}});
    }
    return values;
}

bool Forregvaluenames(HKEY root, const std::wstring& keypath, const std::function<void(const std::wstring&)>& each)
{
    Regkey key;
    LONG opened = RegOpenKeyExW(root, keypath.c_str(), 0, KEY_QUERY_VALUE, key.put());
    if (opened == ERROR_FILE_NOT_FOUND) return true;
    if (opened != ERROR_SUCCESS) return false;
    // Room for the longest name the registry takes, so no name is ever cut.
    std::vector<wchar_t> name(16384);
    std::wstring found;
    for (DWORD index = 0;; ++index) {
        DWORD namelength = DWORD(name.size());
        LONG got = RegEnumValueW(key.get(), index, name.data(), &namelength, nullptr, nullptr, nullptr, nullptr);
        if (got == ERROR_NO_MORE_ITEMS) return true;
        // A name passed over would be a name missing: the listing is not whole.
        if (got != ERROR_SUCCESS) return false;
        found.assign(name.data(), namelength);
        each(found);
    }
}

bool Deleteregvalue(HKEY root, const std::wstring& keypath, const std::wstring& valuename)
{
    Regkey key;
    LONG opened = RegOpenKeyExW(root, keypath.c_str(), 0, KEY_SET_VALUE, key.put());
    if (opened == ERROR_FILE_NOT_FOUND) return true;
    if (opened != ERROR_SUCCESS) return false;
    LONG deleted = RegDeleteValueW(key.get(), valuename.c_str());
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

bool Regkeyexists(HKEY root, const std::wstring& keypath)
{
    Regkey key;
    return RegOpenKeyExW(root, keypath.c_str(), 0, KEY_READ, key.put()) != ERROR_FILE_NOT_FOUND;
}

std::wstring Cutnull(const std::wstring& text)
{
    return text.substr(0, text.find(L'\0'));
}
