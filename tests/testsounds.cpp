#include "testsounds.h"

#include "folders.h"
#include "handles.h"
#include "playable.h"
#include "scratch.h"
#include "text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

std::wstring Soundsfolder()
{
#ifdef KVX_TEST_SOUNDS
    // Wine maps the host's / to drive Z:.
    std::wstring folder = *Fromutf8(KVX_TEST_SOUNDS);
    if (folder.starts_with(L"/")) folder = L"Z:" + folder;
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    return folder;
#else
    return {};
#endif
}

bool Soundsmade()
{
    return !Soundsfolder().empty() && Fileexists(Soundsfolder() + L"\\tone.mp3");
}

Wave Readwave(const std::wstring& path)
{
    std::string bytes = Readbytes(path);
    auto le = [&bytes](size_t at, size_t size) {
        uint32_t value = 0;
        std::memcpy(&value, bytes.data() + at, size);
        return value;
    };
    if (bytes.size() < 44) return {};
    Wave wave{Playablewave(bytes), le(20, 2), le(22, 2), le(24, 4), le(34, 2)};
    if (wave.channels && wave.rate) wave.ms = 1000.0 * le(40, 4) / (wave.channels * 2) / wave.rate;
    double sum = 0;
    for (size_t at = 44; at + 2 <= bytes.size(); at += 2) sum += std::pow(int16_t(le(at, 2)), 2);
    wave.loudness = std::sqrt(sum / std::max<size_t>(1, (bytes.size() - 44) / 2)) / 32768;
    return wave;
}

std::string Noise(size_t count)
{
    std::string bytes(count, '\0');
    uint32_t state = 12345;
    for (char& byte : bytes) byte = char((state = state * 1103515245 + 12345) >> 16);
    return bytes;
}

void Settime(const std::wstring& path, uint64_t time)
{
    Kernelhandle file =
        Ownfile(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    FILETIME written{DWORD(time), DWORD(time >> 32)};
    ASSERT_TRUE(file && SetFileTime(file.get(), nullptr, nullptr, &written));
}
