#include "originals.h"

#include "keylist.h"
#include "registry.h"
#include "text.h"

#include <windows.h>

#include <future>
#include <optional>
#include <system_error>
#include <unordered_set>

namespace {
// By value name folded: the registry compares names without regard to case.
using Names = std::unordered_set<std::wstring>;
Names recorded;
bool loaded = false;
// The sweep started after the icon, taken over by the first use.
std::future<std::optional<Names>> loading;

// Nothing when the records could not be listed whole: a set with a record missing would let a
// first change record Kvx's own sound over the user's.
std::optional<Names> Recordednames()
{
    Names names;
    bool whole = Forregvaluenames(HKEY_CURRENT_USER, originalskey,
                                  [&names](const std::wstring& name) { names.insert(Foldcase(name)); });
    if (!whole) return std::nullopt;
    return names;
}

void Take(std::optional<Names> names)
{
    loaded = names.has_value();
    recorded = names ? std::move(*names) : Names{};
}

// Every use goes through here: whatever asks first (a pass, a restore) has the whole set. Null
// while it cannot be had; the next use asks again.
Names* Recorded()
{
    if (loading.valid())
        Take(loading.get());
    else if (!loaded)
        Take(Recordednames());
    return loaded ? &recorded : nullptr;
}

std::wstring Recordname(int16_t app, int16_t event)
{
    return apps[0].names[size_t(app - 1)] + L"\\" + apps[size_t(app)].names[size_t(event)];
}
}

void Loadoriginals()
{
    // A sweep still running is waited for and its answer dropped: this one is newer.
    loading = {};
    Take(Recordednames());
}

void Loadoriginalslater()
{
    loaded = false;
    try {
        loading = std::async(std::launch::async, Recordednames);
    } catch (const std::system_error&) {
        // No thread to spare: the first use learns them itself.
        loading = {};
    }
}

HKEY Appkey::Get(int16_t app)
{
    if (app != app_ && Validevent(app, 0)) {
        app_ = app;
        // Opening a subkey asks nothing of its parent's own rights.
        key_ = Openkey(HKEY_CURRENT_USER, std::wstring(appsroot) + L"\\" + apps[0].names[size_t(app - 1)],
                       KEY_ENUMERATE_SUB_KEYS);
    }
    return app == app_ ? key_.get() : nullptr;
}

std::optional<Currentvalue> Opencurrent(int16_t app, int16_t event)
{
    return Opencurrent(app, event, nullptr);
}

std::optional<Currentvalue> Opencurrent(int16_t app, int16_t event, HKEY appkey)
{
    if (!Validevent(app, event)) return std::nullopt;
    LONG opened = ERROR_SUCCESS;
    Currentvalue current{appkey ? Openforupdate(appkey, apps[size_t(app)].names[size_t(event)] + L"\\.Current", false, &opened)
                                : Openforupdate(HKEY_CURRENT_USER, Currentkey(app, event), false, &opened),
                         {}};
    if (!current.key && opened != ERROR_FILE_NOT_FOUND) return std::nullopt;
    // As stored, so that the very bytes read are what a first change records.
    std::optional<Regdata> value = Querystored(current.key.get(), L"");
    if (!value) return std::nullopt;
    current.value = std::move(*value);
    return current;
}

HKEY Recordkey::Get()
{
    if (!key_) key_ = Openforupdate(HKEY_CURRENT_USER, originalskey, true);
    return key_.get();
}

bool Writecurrent(int16_t app, int16_t event, const Currentvalue& current, const std::wstring& path)
{
    Recordkey records;
    return Writecurrent(app, event, current, path, records);
}

bool Writecurrent(int16_t app, int16_t event, const Currentvalue& current, const std::wstring& path,
                  Recordkey& records)
{
    if (!Validevent(app, event)) return false;
    std::wstring name = Recordname(app, event);
    std::wstring folded = Foldcase(name);
    Names* known = Recorded();
    // Without knowing whether the user's own sound is recorded, nothing is written: the next
    // pass asks again.
    if (!known) return false;
    if (!known->contains(folded)) {
        // Without its record the user's own sound would be lost for good: write nothing.
        if (!Writeregdata(records.Get(), name, current.value)) return false;
        known->insert(folded);
    }
    return current.key ? Writeregstr(current.key.get(), L"", path)
                       : Setregstr(HKEY_CURRENT_USER, Currentkey(app, event), L"", path);
}

Restoreresult Restoreoriginals()
{
    Restoreresult result;
    // Taken over before anything is removed: a sweep still listing the records would miss the
    // one that moves into a removed record's place.
    Names* known = Recorded();
    for (const Regvalue& record : Getregvalues(HKEY_CURRENT_USER, originalskey)) {
        const std::wstring& name = record.name;
        size_t slash = name.find(L'\\');
        bool wellformed = slash != std::wstring::npos && name.find(L'\\', slash + 1) == std::wstring::npos;
        std::wstring eventkey = std::wstring(appsroot) + L"\\" + name;
        if (wellformed && Regkeyexists(HKEY_CURRENT_USER, eventkey)) {
            // Put back as it was, type and all: Windows keeps its own sounds as %SystemRoot%\... paths.
            Regkey current =
                Openforupdate(HKEY_CURRENT_USER, Currentpath(name.substr(0, slash), name.substr(slash + 1)), true);
            if (!Writeregdata(current.get(), L"", record.data)) {
                ++result.failed;
                continue;
            }
            ++result.restored;
        }
        if (Deleteregvalue(HKEY_CURRENT_USER, originalskey, name) && known) known->erase(Foldcase(name));
    }
    return result;
}
