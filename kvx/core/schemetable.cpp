#include "schemetable.h"

#include "settings.h"

#include <algorithm>

Soundtable soundlists;
int16_t maxevent = 0;
int16_t curapp = 0;
int16_t curevent = 0;

void Soundtable::Create(int16_t appcount)
{
    // Rows 0 and n + 1 exist but stay empty, as the table's bounds are 0..n+1.
    lists_.assign(size_t(appcount) + 2, {});
    for (int16_t i = 1; i <= appcount && size_t(i) < apps.size(); ++i)
        lists_[size_t(i)].resize(size_t(apps[size_t(i)].last + 1));
}

const Soundtable::Eventlist* Soundtable::Find(int16_t app, int16_t event) const
{
    if (app < 0 || size_t(app) >= lists_.size()) return nullptr;
    const auto& events = lists_[size_t(app)];
    if (event < 0 || size_t(event) >= events.size()) return nullptr;
    return &events[size_t(event)];
}

Soundtable::Eventlist* Soundtable::Reach(int16_t app, int16_t event)
{
    return const_cast<Eventlist*>(Find(app, event));
}

std::wstring Soundtable::Get(int16_t app, int16_t event, int16_t k) const
{
    const Eventlist* list = Find(app, event);
    if (!list || k < 0 || size_t(k) >= list->entries.size()) return {};
    return list->entries[size_t(k)];
}

void Soundtable::Setfirst(int16_t app, int16_t event, std::vector<std::wstring> entries)
{
    Eventlist* list = Reach(app, event);
    if (!list) return;
    if (entries.size() > size_t(capacity)) entries.resize(size_t(capacity));
    // A list loaded for the first time takes the vector whole: no copy and no growth entry by entry.
    if (list->entries.size() <= entries.size())
        list->entries = std::move(entries);
    else
        std::move(entries.begin(), entries.end(), list->entries.begin());
}

bool Soundtable::Readable(int16_t app, int16_t event) const
{
    const Eventlist* list = Find(app, event);
    return list && list->readable;
}

void Soundtable::Setreadable(int16_t app, int16_t event, bool readable)
{
    if (Eventlist* list = Reach(app, event)) list->readable = readable;
}

Listencoding Soundtable::Encoding(int16_t app, int16_t event) const
{
    const Eventlist* list = Find(app, event);
    return list ? list->encoding : Listencoding::ansi;
}

uint8_t Soundtable::Unreadparts(int16_t app, int16_t event) const
{
    const Eventlist* list = Find(app, event);
    return list ? list->unread : uint8_t(unreadnone);
}

void Soundtable::Setfileform(int16_t app, int16_t event, Listencoding encoding, uint8_t unread)
{
    if (Eventlist* list = Reach(app, event)) {
        list->encoding = encoding;
        list->unread = unread;
    }
}

int16_t Soundtable::Count(int16_t app, int16_t event) const
{
    const Eventlist* list = Find(app, event);
    return list ? list->count : int16_t(0);
}

void Soundtable::Setcount(int16_t app, int16_t event, int16_t count)
{
    if (Eventlist* list = Reach(app, event)) list->count = count;
}

int16_t Maxeventcount()
{
    int16_t m = 0;
    for (int16_t i = 1; i <= Appcount() && size_t(i) < apps.size(); ++i)
        m = std::max(m, apps[size_t(i)].last);
    return m;
}

std::vector<std::wstring> Buildtable()
{
    Loadtree();
    int16_t n = Appcount();
    std::vector<std::wstring> rows(apps[0].texts.begin(), apps[0].texts.begin() + n);
    maxevent = Maxeventcount();
    soundlists.Create(n);
    return rows;
}

std::vector<std::wstring> Savedsounds(int16_t a, int16_t e)
{
    std::vector<std::wstring> rows;
    // The count as loaded or saved: a count the registry refused to store cannot cut the list.
    int16_t count = Validevent(a, e) ? soundlists.Count(a, e) : int16_t(0);
    for (int16_t k = 0; k < count; ++k) rows.push_back(soundlists.Get(a, e, k));
    return rows;
}

std::wstring Countkey(int16_t app, int16_t event)
{
    return L"listcount" + apps[0].names[size_t(app - 1)] + L"-" + std::to_wstring(event);
}

int16_t Readcount(int16_t app, int16_t event)
{
    int16_t count = Parseint16(Getsetting(Countkey(app, event), L"0")).value_or(0);
    return count >= 0 && count <= Soundtable::capacity ? count : 0;
}
