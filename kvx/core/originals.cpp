#include "originals.h"

#include "keylist.h"
#include "registry.h"

#include <windows.h>

#include <unordered_set>

namespace {
// Value names are compared as the registry compares them: without regard to case.
std::wstring Folded(std::wstring name)
{
    CharUpperBuffW(name.data(), DWORD(name.size()));
    return name;
}

std::unordered_set<std::wstring> recorded;

std::wstring Recordname(int16_t app, int16_t event)
{
    return apps[0].names[size_t(app - 1)] + L"\\" + apps[size_t(app)].names[size_t(event)];
}
}

void Loadoriginals()
{
    recorded.clear();
    for (const auto& [name, value] : Getregvalues(HKEY_CURRENT_USER, originalskey)) recorded.insert(Folded(name));
}

bool Writecurrent(int16_t app, int16_t event, HKEY key, const std::wstring& current, const std::wstring& path)
{
    if (!Validevent(app, event)) return false;
    std::wstring name = Recordname(app, event);
    std::wstring folded = Folded(name);
    if (!recorded.contains(folded)) {
        // Without its record the user's own sound would be lost for good: write nothing.
        if (!Setregstr(HKEY_CURRENT_USER, originalskey, name, current)) return false;
        recorded.insert(folded);
    }
    return key ? Writeregstr(key, L"", path) : Setregstr(HKEY_CURRENT_USER, Currentkey(app, event), L"", path);
}

Restoreresult Restoreoriginals()
{
    Restoreresult result;
    for (const auto& [name, value] : Getregvalues(HKEY_CURRENT_USER, originalskey)) {
        size_t slash = name.find(L'\\');
        bool wellformed = slash != std::wstring::npos && name.find(L'\\', slash + 1) == std::wstring::npos;
        std::wstring eventkey = std::wstring(appsroot) + L"\\" + name;
        if (wellformed && Regkeyexists(HKEY_CURRENT_USER, eventkey)) {
            if (!Setregstr(HKEY_CURRENT_USER, Currentpath(name.substr(0, slash), name.substr(slash + 1)), L"", value)) {
                ++result.failed;
                continue;
            }
            ++result.restored;
        }
        if (Deleteregvalue(HKEY_CURRENT_USER, originalskey, name)) recorded.erase(Folded(name));
    }
    return result;
}
