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

void Loadkeys(int16_t slot, const std::wstring& keypath, int32_t maxindex)
{
    Keylist list;
    list.path = keypath + L"\\";
    int32_t r = Enumregkeys(HKEY_CURRENT_USER, keypath);
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
        std::wstring value = slot >= 1 ? std::wstring() : Getregstr(HKEY_CURRENT_USER, keypath + L"\\" + name, L"");
        list.names.push_back(name);
        list.texts.push_back(value.empty() ? name : value);
        list.labelidx.push_back(slot >= 1 ? Findlabel(name) : int16_t(0));
    }
    Placeslot(slot, std::move(list));
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
    Loadkeys(0, appsroot);
    for (int16_t i = 1; i <= Appcount(); ++i) Loadkeys(i, apps[0].path + apps[0].names[size_t(i - 1)]);
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
