#include "keylist.h"

#include "registry.h"

#include <algorithm>

std::vector<Keylist> apps;
Keylist eventlabels;

namespace {
void Placeslot(int16_t slot, Keylist list)
{
    if (slot == -1) {
        eventlabels = std::move(list);
        return;
    }
    apps.resize(size_t(slot) + 1);
    apps[size_t(slot)] = std::move(list);
}
}

namespace {
// Loadkeys on a key open to list (null: none); each subkey's own text is read when texts is set,
// through the subkey opened relative to key.
void Loadopenkey(int16_t slot, HKEY key, const std::wstring& keypath, int32_t maxindex, bool texts)
{
    Keylist list;
    list.path = keypath + L"\\";
    int32_t r = key ? Enumopenkey(key) : -1;
    if (r == -1) {
        Placeslot(slot, std::move(list));
        return;
    }
    r = std::min({r, maxindex, maxkeyindex});
    // keynames is shared scratch: copy it before the reads below.
    std::vector<std::wstring> names(keynames.begin(), keynames.begin() + r + 1);
    list.last = int16_t(r);
    for (const std::wstring& name : names) {
        // Events are shown by their labels, never by their keys' own texts: one read spared for
        // each event of a large tree.
        std::wstring value = texts ? Getregstr(key, name, L"") : std::wstring();
        list.texts.push_back(value.empty() ? name : value);
        list.labelidx.push_back(slot >= 1 ? Findlabel(name) : int16_t(0));
    }
    list.names = std::move(names);
    Placeslot(slot, std::move(list));
}
}

void Loadkeys(int16_t slot, const std::wstring& keypath, int32_t maxindex)
{
    Loadopenkey(slot, Openkey(HKEY_CURRENT_USER, keypath, KEY_READ).get(), keypath, maxindex, slot < 1);
}

int16_t Findlabel(const std::wstring& name)
{
    for (int16_t k = 0; k <= eventlabels.last; ++k)
        if (eventlabels.names[size_t(k)] == name) return k;
    return -1;
}

int16_t Appcount()
{
    return apps.empty() ? 0 : int16_t(apps[0].last + 1);
}

std::wstring Eventtext(int16_t a, int16_t k)
{
    if (a < 1 || size_t(a) >= apps.size() || k < 0 || k > apps[size_t(a)].last) return {};
    const Keylist& events = apps[size_t(a)];
    int16_t label = events.labelidx[size_t(k)];
    if (label >= 0 && label <= eventlabels.last) {
        const std::wstring& text = eventlabels.texts[size_t(label)];
        if (!text.empty()) return text;
    }
    return events.names[size_t(k)];
}

void Loadapps()
{
    // Each application's key is opened once, relative to the open root, for its text and its
    // events.
    Regkey root = Openkey(HKEY_CURRENT_USER, appsroot, KEY_READ);
    Loadopenkey(0, root.get(), appsroot, maxkeyindex, false);
    for (int16_t i = 1; i <= Appcount(); ++i) {
        std::wstring name = apps[0].names[size_t(i - 1)];
        Regkey app = Openkey(root.get(), name, KEY_READ);
        // A key that may be read but not listed still gives its text.
        std::wstring text = app ? Readregstr(app.get(), L"") : Getregstr(root.get(), name, L"");
        if (!text.empty()) apps[0].texts[size_t(i - 1)] = text;
        Loadopenkey(i, app.get(), apps[0].path + name, maxkeyindex, false);
    }
}

void Loadtree()
{
    Loadkeys(-1, labelsroot);
    Loadapps();
}

bool Validevent(int16_t app, int16_t event)
{
    return app >= 1 && app <= Appcount() && size_t(app) < apps.size() && event >= 0 &&
           event <= apps[size_t(app)].last;
}

std::wstring Currentpath(const std::wstring& appname, const std::wstring& eventname)
{
    return std::wstring(appsroot) + L"\\" + appname + L"\\" + eventname + L"\\.Current";
}

std::wstring Currentkey(int16_t app, int16_t event)
{
    return Currentpath(apps[0].names[size_t(app - 1)], apps[size_t(app)].names[size_t(event)]);
}
