#include "changer.h"

#include "registry.h"
#include "schemetable.h"
#include "settings.h"

#include <windows.h>

#include <chrono>
#include <cmath>
#include <random>

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

void Changesound(int16_t app, int16_t event)
{
    if (!Validevent(app, event)) return;
    int16_t count = Readcount(app, event);
    if (count == 0) return;
    int16_t k = int16_t(std::floor(Drawrandom() * count));
    if (k >= count) k = int16_t(count - 1);
    std::wstring key = Currentkey(app, event);
    std::wstring pick = soundlists.Get(app, event, k);
    // A value that already holds the pick is left alone. A failed write leaves the old sound,
    // which the next pass tries to change again.
    if (Getregstr(HKEY_CURRENT_USER, key, L"") != pick) Setregstr(HKEY_CURRENT_USER, key, L"", pick);
}

void Changepass()
{
    Foreachevent(Changesound);
}

bool Startuppass()
{
    if (optval1 == 0) return false;
    Changepass();
    return true;
}

bool Timertick()
{
    // tickcount never passes the largest interval, so the increment cannot overflow.
    tickcount = int16_t(tickcount + 1);
    if (tickcount < cinterval) return false;
    tickcount = 0;
    Changepass();
    return true;
}
