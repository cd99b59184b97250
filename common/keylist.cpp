#include "keylist.h"

#include "registry.h"

#include <algorithm>

std::vector<Keylist> apps;
Keylist eventlabels;

namespace {
// Indexes are 16-bit: a key with more subkeys than that is listed up to the limit, which leaves
// room for loops that run to the count inclusive and for one more event added by the editor.
constexpr int32_t maxindex = INT16_MAX - 2;

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

void Loadkeys(int16_t slot, const std::wstring& keypath)
{
    Keylist list;
    list.path = keypath + L"\\";
    int32_t r = Enumregkeys(HKEY_CURRENT_USER, keypath);
    if (r == -1) {
        Placeslot(slot, std::move(list));
        return;
    }
    r = std::min(r, maxindex);
    // keynames is shared scratch: copy it before the reads below.
    std::vector<std::wstring> names(keynames.begin(), keynames.begin() + r + 1);
    list.last = int16_t(r);
    for (const std::wstring& name : names) {
        std::wstring value = Getregstr(HKEY_CURRENT_USER, keypath + L"\\" + name, L"");
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

void Showevents(HWND list, int16_t a)
{
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    if (a < 1 || size_t(a) >= apps.size()) return;
    for (int16_t k = 0; k <= apps[size_t(a)].last; ++k)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Eventtext(a, k).c_str()));
}
