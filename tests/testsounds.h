// The sounds the tests of conversions use: made on the host from generated tones
// (tests/makesounds), and read back as wave files.
#pragma once

#include <cstdint>
#include <string>

// The folder of the made sounds as Windows sees it; empty where they were not made.
std::wstring Soundsfolder();
// Whether they were made (the tools are installed by scripts/install-deps).
bool Soundsmade();
// The length of the tones the inputs were made from.
inline constexpr double tonems = 2000;

struct Wave {
    bool plays = false;
    uint32_t tag = 0, channels = 0, rate = 0, bits = 0;
    double ms = 0, loudness = 0;  // loudness: the samples' root mean square, 1 = full scale
};
// What a wave file written by the converter holds (its canonical 44-byte header, then samples).
Wave Readwave(const std::wstring& path);
// Bytes no decoder takes, the same at every run.
std::string Noise(size_t count);
// Sets a file's time of last writing, as an edit of it would.
void Settime(const std::wstring& path, uint64_t time);
