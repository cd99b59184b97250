#include "changer.h"

#include "originals.h"
#include "listedsounds.h"
#include "registry.h"
#include "schemetable.h"
#include "settings.h"
#include "text.h"

#include <windows.h>

#include <chrono>
#include <algorithm>
#include <cmath>
#include <random>
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

std::wstring Pickentry(int16_t app, int16_t event, const std::wstring& current)
{
    std::vector<std::wstring> pool;
    int16_t count = Validevent(app, event) ? soundlists.Count(app, event) : int16_t(0);
    for (int16_t k = 0; k < count; ++k) {
        std::wstring entry = soundlists.Get(app, event, k);
        // With norepeat the sound the event has now is no candidate: when nothing else is left,
        // the event keeps it.
        if (norepeat && Sametext(entry, current)) continue;
        pool.push_back(std::move(entry));
    }
    // Drawn uniformly, and a missing or unplayable file drawn (or one whose copy is not made yet)
    // is put aside and the draw made again among the rest: uniform among the files that play,
    // with one look at the disk per event when all do (their verdicts are known from earlier
    // looks), and one more at a converted sound's copy. The event is given what Windows plays:
    // the wave file, or the copy, which norepeat compares too.
    while (!pool.empty()) {
        size_t k = std::min(size_t(std::floor(Drawrandom() * double(pool.size()))), pool.size() - 1);
        std::optional<std::wstring> played = Playedfile(pool[k]);
        if (played && !(norepeat && Sametext(*played, current))) return *played;
        pool.erase(pool.begin() + std::ptrdiff_t(k));
    }
    return {};
}

Outcome Changesound(int16_t app, int16_t event)
{
    if (!Validevent(app, event) || soundlists.Count(app, event) == 0) return Outcome::nothing;
    // One opening of the key serves the reading and the writing. An event whose value cannot be
    // read or written is left alone: a failure when it had a sound to take.
    std::optional<Currentvalue> current = Opencurrent(app, event);
    if (!current) return Pickentry(app, event, L"").empty() ? Outcome::nothing : Outcome::failed;
    // A value that is no text (a number, binary data) never equals a pick: it is replaced.
    std::wstring now = current->value.Text();
    std::wstring pick = Pickentry(app, event, now);
    // Nothing that plays, or the pick is there already: the value is left alone. A failed write
    // leaves the old sound, which the next pass tries to change again.
    if (pick.empty() || (current->value.Isstring() && pick == now)) return Outcome::nothing;
    return Writecurrent(app, event, *current, pick) ? Outcome::done : Outcome::failed;
}

Passresult Changepass()
{
    Passresult result;
    Foreachevent([&result](int16_t app, int16_t event) {
        Outcome outcome = Changesound(app, event);
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
