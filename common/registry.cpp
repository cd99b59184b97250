#include "registry.h"

#include "text.h"

#include <algorithm>
#include <array>

std::vector<std::wstring> keynames;

namespace {
constexpr DWORD valuebuffer = 1024;
constexpr DWORD namebuffer = 80;
constexpr DWORD widenamebuffer = 256;  // key names hold at most 255 characters

// A value read through the ANSI interface into the 1024-byte buffer, up to its first NUL;
// result and type are the system's answer.
std::wstring Queryansi(HKEY key, const std::wstring& valuename, LONG& result, DWORD& type)
{
    std::array<char, valuebuffer> buffer{};
    DWORD size = valuebuffer;
    result = RegQueryValueExA(key, Toansi(valuename).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                              &size);
    if (result != ERROR_SUCCESS) return {};
    auto end = std::find(buffer.begin(), buffer.begin() + size, '\0');
    return Fromansi(std::string(buffer.begin(), end));
}
}

Regkey Openforupdate(HKEY root, const std::wstring& keypath, bool create, LONG* result)
{
    Regkey key;
    constexpr REGSAM access = KEY_QUERY_VALUE | KEY_SET_VALUE;
    std::string path = Toansi(keypath);
    LONG opened = create ? RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, access, nullptr, key.put(), nullptr)
                         : RegOpenKeyExA(root, path.c_str(), 0, access, key.put());
    if (opened != ERROR_SUCCESS) key.reset();
    if (result) *result = opened;
    return key;
}

std::optional<Regtext> Queryregtext(HKEY key, const std::wstring& valuename)
{
    if (!key) return Regtext{};
    DWORD type = 0;
    LONG got = ERROR_SUCCESS;
    std::wstring text = Queryansi(key, valuename, got, type);
    if (got == ERROR_FILE_NOT_FOUND) return Regtext{};
    if (got != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    return Regtext{text, type};
}

bool Writeregtext(HKEY key, const std::wstring& valuename, const Regtext& value)
{
    std::string bytes = Toansi(value.text);
    return key && RegSetValueExA(key, Toansi(valuename).c_str(), 0, value.type,
                                 reinterpret_cast<const BYTE*>(bytes.c_str()), DWORD(bytes.size() + 1)) == ERROR_SUCCESS;
}

std::wstring Readregstr(HKEY key, const std::wstring& valuename)
{
    // The type is not looked at: whatever is stored is read as ANSI text.
    DWORD type = 0;
    LONG got = ERROR_SUCCESS;
    std::wstring text = key ? Queryansi(key, valuename, got, type) : std::wstring();
    return got == ERROR_SUCCESS ? text : std::wstring();
}

bool Writeregstr(HKEY key, const std::wstring& valuename, const std::wstring& data)
{
    return Writeregtext(key, valuename, Regtext{data, REG_SZ});
}

std::wstring Getregstr(HKEY root, const std::wstring& keypath, const std::wstring& valuename)
{
    Regkey key;
    if (RegOpenKeyA(root, Toansi(keypath).c_str(), key.put()) != ERROR_SUCCESS) return {};
    return Readregstr(key.get(), valuename);
}

bool Setregstr(HKEY root, const std::wstring& keypath, const std::wstring& valuename, const std::wstring& data)
{
    Regkey key;
    return RegCreateKeyA(root, Toansi(keypath).c_str(), key.put()) == ERROR_SUCCESS &&
           Writeregstr(key.get(), valuename, data);
}

int32_t Enumregkeys(HKEY root, const std::wstring& keypath)
{
    Regkey key;
    // Listing needs read access only: a key the user may read but not change still lists.
    if (RegOpenKeyExA(root, Toansi(keypath).c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return -1;
    std::vector<std::wstring> names;
    for (DWORD index = 0;; ++index) {
        // Names are read as they are: the ANSI functions would hand back a name the code page
        // cannot spell as another key's name ("Victim¥Open" as the path "Victim\Open").
        std::array<wchar_t, widenamebuffer> buffer{};
        DWORD length = widenamebuffer;
        if (RegEnumKeyExW(key.get(), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        std::wstring name(buffer.data(), length);
        // Such a name is left out: every later use of it would address another key.
        if (!Fitsansi(name)) continue;
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
    // Filled by each call below, which reports the lengths: no need to clear them between values.
    std::vector<wchar_t> name(16384);  // the longest value name
    std::vector<wchar_t> data(valuebuffer);
    for (DWORD index = 0;; ++index) {
        DWORD namelength = DWORD(name.size());
        DWORD size = DWORD(data.size() * sizeof(wchar_t));
        DWORD type = 0;
        LONG got = RegEnumValueW(key.get(), index, name.data(), &namelength, nullptr, &type,
                                 reinterpret_cast<BYTE*>(data.data()), &size);
        if (got == ERROR_NO_MORE_ITEMS) break;
        if (got != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) continue;
        std::wstring text(data.data(), size / sizeof(wchar_t));
        values.push_back({std::wstring(name.data(), namelength), Cutnull(text), type});
    }
    return values;
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
