#include "registry.h"

#include "handles.h"
#include "text.h"

#include <algorithm>
#include <array>

std::vector<std::wstring> keynames;

namespace {
constexpr DWORD valuebuffer = 1024;
constexpr DWORD namebuffer = 80;
constexpr DWORD widenamebuffer = 256;  // key names hold at most 255 characters
}

std::wstring Getregstr(HKEY root, const std::wstring& keypath, const std::wstring& valuename)
{
    std::wstring result;
    Regkey key;
    if (RegOpenKeyA(root, Toansi(keypath).c_str(), key.put()) == ERROR_SUCCESS) {
        std::array<char, valuebuffer> buffer{};
        DWORD size = valuebuffer;
        DWORD type = 0;
        // The type is not looked at: whatever is stored is read as ANSI text.
        if (RegQueryValueExA(key.get(), Toansi(valuename).c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(buffer.data()), &size) == ERROR_SUCCESS) {
            auto end = std::find(buffer.begin(), buffer.end(), '\0');
            result = Fromansi(std::string(buffer.begin(), end));
        }
    }
    return result;
}

bool Setregstr(HKEY root, const std::wstring& keypath, const std::wstring& valuename, const std::wstring& data)
{
    bool result = false;
    Regkey key;
    if (RegCreateKeyA(root, Toansi(keypath).c_str(), key.put()) == ERROR_SUCCESS) {
        std::string bytes = Toansi(data);
        result = RegSetValueExA(key.get(), Toansi(valuename).c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(bytes.c_str()), DWORD(bytes.size() + 1)) == ERROR_SUCCESS;
    }
    return result;
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

std::wstring Cutnull(const std::wstring& text)
{
    return text.substr(0, text.find(L'\0'));
}
