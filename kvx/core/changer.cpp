#include "changer.h"

#include "originals.h"
#include "registry.h"
#include "text.h"
#include "schemetable.h"
#include "settings.h"

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

bool Soundexists(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
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
        // .Current is written in the ANSI code page: a path it cannot spell would name no file.
        if (!Fitsansi(entry)) continue;
        pool.push_back(std::move(entry));
    }
    // Drawn uniformly, and a missing file drawn is put aside and the draw made again among the
    // rest: uniform among the files that exist, with one look at the disk per event when all do.
    while (!pool.empty()) {
        size_t k = std::min(size_t(std::floor(Drawrandom() * double(pool.size()))), pool.size() - 1);
        if (Soundexists(pool[k])) return pool[k];
        pool.erase(pool.begin() + std::ptrdiff_t(k));
    }
    return {};
}

void Changesound(int16_t app, int16_t event)
{
    if (!Validevent(app, event) || soundlists.Count(app, event) == 0) return;
    // One opening of the key serves the reading and the writing.
    std::optional<Currentvalue> current = Opencurrent(app, event);
    if (!current) return;
    std::wstring pick = Pickentry(app, event, current->value.text);
    // Nothing that exists, or the pick is there already: the value is left alone. A failed write
    // leaves the old sound, which the next pass tries to change again.
    if (!pick.empty() && pick != current->value.text) Writecurrent(app, event, *current, pick);
}

void Changepass()
{
    Foreachevent(Changesound);
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

void Changenow()
{
    Changepass();
    // The next timed pass is a whole interval away.
    tickcount = 0;
}

int16_t Minutestonextpass()
{
    return int16_t(std::max(1, int(cinterval) - int(tickcount)));
}
