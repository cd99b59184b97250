#include "editing.h"

#include "handles.h"
#include "keylist.h"
#include "registry.h"
#include "text.h"

#include <commdlg.h>

#include <array>

namespace {
constexpr WORD titlebuffer = 261;
constexpr DWORD keynamebuffer = 256;  // registry key names hold at most 255 characters

std::wstring Appkey(const std::wstring& name)
{
    return std::wstring(appsroot) + L"\\" + name;
}

// Whether key `name` of parent and everything below it may be deleted. Names are read wide:
// whatever they are, each is the name of the key it came from.
bool Deletable(HKEY parent, const std::wstring& name)
{
    Regkey key;
    if (RegOpenKeyExW(parent, name.c_str(), 0, DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, key.put()) !=
        ERROR_SUCCESS)
        return false;
    for (DWORD i = 0;; ++i) {
        std::array<wchar_t, keynamebuffer> child{};
        DWORD length = keynamebuffer;
        LONG got = RegEnumKeyExW(key.get(), i, child.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (got == ERROR_NO_MORE_ITEMS) return true;
        if (got != ERROR_SUCCESS || !Deletable(key.get(), std::wstring(child.data(), length))) return false;
    }
}

bool Isapp(int16_t app)
{
    return app >= 1 && app <= Appcount() && size_t(app) < apps.size();
}
}

bool Delregkey(HKEY root, const std::wstring& parent, const std::wstring& name)
{
    // An empty name would stand for parent itself.
    if (name.empty()) return false;
    Regkey key;
    if (RegOpenKeyExW(root, parent.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
    // All or nothing: a key with a part that cannot go stays whole.
    if (!Deletable(key.get(), name)) return false;
    return RegDeleteTreeW(key.get(), name.c_str()) == ERROR_SUCCESS;
}

std::wstring Filetitle(const std::wstring& path)
{
    std::array<wchar_t, titlebuffer> title{};
    GetFileTitleW(path.c_str(), title.data(), titlebuffer);
    return Cutnull(std::wstring(title.data(), title.size()));
}

std::wstring Appkeyname(const std::wstring& title)
{
    return title.substr(0, title.find(L'.'));
}

Outcome Addevent(int16_t app, int16_t label)
{
    if (!Isapp(app) || label < 0 || label > eventlabels.last) return Outcome::nothing;
    Keylist& events = apps[size_t(app)];
    if (events.last >= INT16_MAX - 1) return Outcome::nothing;  // event indexes are 16-bit
    const std::wstring& name = eventlabels.names[size_t(label)];
    if (!Setregstr(HKEY_CURRENT_USER, Currentpath(apps[0].names[size_t(app - 1)], name), L"", L""))
        return Outcome::failed;
    events.names.push_back(name);
    events.texts.push_back(name);
    events.labelidx.push_back(label);
    events.last = int16_t(events.names.size() - 1);
    return Outcome::done;
}

Outcome Removeevent(int16_t app, int16_t event)
{
    if (!Isapp(app) || event < 0 || event > apps[size_t(app)].last) return Outcome::nothing;
    Keylist& events = apps[size_t(app)];
    std::wstring appkey = Appkey(apps[0].names[size_t(app - 1)]);
    if (!Delregkey(HKEY_CURRENT_USER, appkey, events.names[size_t(event)]) &&
        Regkeyexists(HKEY_CURRENT_USER, appkey + L"\\" + events.names[size_t(event)]))
        return Outcome::failed;
    events.names.erase(events.names.begin() + event);
    events.texts.erase(events.texts.begin() + event);
    events.labelidx.erase(events.labelidx.begin() + event);
    events.last = int16_t(events.names.size() - 1);
    return Outcome::done;
}

Outcome Addapplication(const std::wstring& path)
{
    if (path.empty()) return Outcome::nothing;
    std::wstring name = Appkeyname(Filetitle(path));
    // A file name beginning with "." gives no name; writing it would set the default value of
    // the applications key itself.
    if (name.empty()) return Outcome::nothing;
    // Both programs leave a key the code page cannot spell out of their tables: it could never be
    // shown or deleted here again.
    if (!Fitsansi(name)) return Outcome::failed;
    return Setregstr(HKEY_CURRENT_USER, Appkey(name), L"", name) ? Outcome::done : Outcome::failed;
}

Outcome Deleteapplication(int16_t app)
{
    if (!Isapp(app)) return Outcome::nothing;
    return Delregkey(HKEY_CURRENT_USER, appsroot, apps[0].names[size_t(app - 1)]) ? Outcome::done : Outcome::failed;
}
