#include "changer.h"

#include "originals.h"
#include "listedsounds.h"
#include "soundfolders.h"
#include "registry.h"
#include "schemetable.h"
#include "settings.h"
#include "text.h"

#include <windows.h>

#include <chrono>
#include <algorithm>
#include <cmath>
#include <random>
#include <memory>
#include <vector>

int16_t tickcount = 0;

namespace {
std::mt19937 generator;
}

void Seedrandom(uint32_t seed)
{
    generator.seed(seed);
}

void Seedfromclock()
{
    Seedrandom(uint32_t(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

double Drawrandom()
{
    // 24 random bits scaled by 2^-24: exact in a double and strictly below 1.
    return double(generator() >> 8) / 16777216.0;
}

namespace {
// One candidate sound: a file entry of the list, or a sound of a folder entry's listing.
struct Slot {
    int16_t entry;
    int32_t member;  // -1 for a file entry
};

// Whether an entry before the k-th holds sound too: then it counts there, once.
bool Heldbefore(const std::vector<std::wstring>& entries, size_t k, const std::wstring& sound)
{
    std::wstring folder = sound.substr(0, sound.rfind(L'\\') + 1);
    for (size_t j = 0; j < k; ++j)
        if (Sametext(entries[j], Isfolderentry(entries[j]) ? folder : sound)) return true;
    return false;
}
}

std::wstring Pickentry(int16_t app, int16_t event, const std::wstring& current)
{
    int16_t count = Validevent(app, event) ? soundlists.Count(app, event) : int16_t(0);
    std::vector<std::wstring> entries;
    for (int16_t k = 0; k < count; ++k) entries.push_back(soundlists.Get(app, event, k));
    return Pickamong(entries, current);
}

std::wstring Pickamong(const std::vector<std::wstring>& entries, const std::wstring& current)
{
    std::vector<std::shared_ptr<const Folderlisting>> listings(entries.size());
    std::vector<Slot> pool;
    for (int16_t k = 0; k < int16_t(entries.size()); ++k) {
        const std::wstring& entry = entries[size_t(k)];
        if (Isfolderentry(entry)) {
            // One look at the folder; its listing is known from an earlier pass unless it changed.
            listings[size_t(k)] = Listfolder(entry);
            for (size_t m = 0; m < listings[size_t(k)]->names.size(); ++m) pool.push_back({k, int32_t(m)});
            continue;
        }
        // With norepeat the sound the event has now is no candidate: when nothing else is left,
        // the event keeps it.
        if (norepeat && Sametext(entry, current)) continue;
        pool.push_back({k, -1});
    }
    // Drawn uniformly, and a missing or unplayable file drawn (or one whose copy is not made yet,
    // or one an earlier entry holds already) is put aside and the draw made again among the rest:
    // uniform among the sounds that play, each counted once, with one look at the disk per event
    // when all do (their verdicts are known from earlier looks), and one more at a converted
    // sound's copy. The event is given what Windows plays: the wave file, or the copy, which
    // norepeat compares too.
    while (!pool.empty()) {
        size_t k = std::min(size_t(std::floor(Drawrandom() * double(pool.size()))), pool.size() - 1);
        Slot slot = pool[k];
        const std::wstring& entry = entries[size_t(slot.entry)];
        std::wstring sound =
            slot.member < 0 ? entry : Folderfile(entry, listings[size_t(slot.entry)]->names[size_t(slot.member)]);
        if (!Heldbefore(entries, size_t(slot.entry), sound) && !(norepeat && Sametext(sound, current))) {
            std::optional<std::wstring> played = Playedfile(sound);
            if (played && !(norepeat && Sametext(*played, current))) return *played;
        }
        // The last candidate takes its place: a folder of thousands that do not play yet costs one
        // look each, not a shift of the rest each.
        pool[k] = pool.back();
        pool.pop_back();
    }
    return {};
}

std::optional<std::wstring> Playedentry(const std::wstring& entry)
{
    if (!Isfolderentry(entry)) return Playedfile(entry);
    std::wstring pick = Pickamong({entry}, L"");
    if (pick.empty()) return std::nullopt;
    return pick;
}

namespace {
// What a pass holds open from one event to the next.
struct Passkeys {
    Appkey app;
    Recordkey records;
};

Outcome Changesound(int16_t app, int16_t event, Passkeys& keys)
{
    if (!Validevent(app, event) || soundlists.Count(app, event) == 0) return Outcome::nothing;
    // One opening of the key serves the reading and the writing. An event whose value cannot be
    // read or written is left alone: a failure when it had a sound to take.
    std::optional<Currentvalue> current = Opencurrent(app, event, keys.app.Get(app));
    if (!current) return Pickentry(app, event, L"").empty() ? Outcome::nothing : Outcome::failed;
    // A value that is no text (a number, binary data) never equals a pick: it is replaced.
    std::wstring now = current->value.Text();
    std::wstring pick = Pickentry(app, event, now);
    // Nothing that plays, or the pick is there already: the value is left alone. A failed write
    // leaves the old sound, which the next pass tries to change again.
    if (pick.empty() || (current->value.Isstring() && pick == now)) return Outcome::nothing;
    return Writecurrent(app, event, *current, pick, keys.records) ? Outcome::done : Outcome::failed;
}
}

Outcome Changesound(int16_t app, int16_t event)
{
    Passkeys keys;
    return Changesound(app, event, keys);
}

Passresult Changepass()
{
    Passresult result;
    // Each application's key is opened once for its events, and the records' key once for the
    // whole pass, when the pass first needs it.
    Passkeys keys;
    Foreachevent([&result, &keys](int16_t app, int16_t event) {
        Outcome outcome = Changesound(app, event, keys);
        result.changed += outcome == Outcome::done;
        result.failed += outcome == Outcome::failed;
    });
    return result;
}

bool Startuppass()
{
    if (optval1 == 0 || paused != 0) return false;
    Changepass();
    return true;
}

bool Timertick()
{
    // tickcount never passes the largest interval, so the increment cannot overflow.
    if (paused != 0) return false;
    tickcount = int16_t(tickcount + 1);
    if (tickcount < cinterval) return false;
    tickcount = 0;
    Changepass();
    return true;
}

Passresult Changenow()
{
    Passresult result = Changepass();
    // The next timed pass is a whole interval away.
    tickcount = 0;
    return result;
}

int16_t Minutestonextpass()
{
    return int16_t(std::max(1, int(cinterval) - int(tickcount)));
}
