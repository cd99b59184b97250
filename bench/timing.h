// The bench's clock and its repetition of a measure: medians of a few rounds.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

// Repetitions per measure; after the third, no more once a measure has taken this long.
inline constexpr int repetitions = 7;
inline constexpr double measurebudgetms = 120000;

inline double Nowms()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

inline double Median(std::vector<double> samples)
{
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    size_t n = samples.size();
    return n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

// Runs round `repetitions` times, or only three once the budget is spent; a failed round ends
// the measure. Each round takes its own samples.
template <typename Round>
void Repeat(Round&& round)
{
    double start = Nowms();
    for (int done = 0; done < repetitions && (done < 3 || Nowms() - start < measurebudgetms); ++done)
        if (!round()) break;
}
