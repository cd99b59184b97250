// The bench of a conversion: a song as people have them (3 minutes of 44.1 kHz stereo MP3)
// converted into its wave copy by Kvx, beside the floor, the same reader decoding it to memory.
//
//   kvxbench convert <song> <folder for the copies>
#include "conversionbench.h"

#include "convertedcopies.h"
#include "converter.h"
#include "handles.h"
#include "timing.h"

#include <windows.h>
#include <mfapi.h>
#include <mfidl.h>
#include <mfreadwrite.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The floor: the first audio stream as 16-bit PCM at its own rate, every sample read into memory.
size_t Decodetomemory(const std::wstring& song)
{
    Com<IMFSourceReader> reader;
    if (FAILED(Createsourcereader(song, reader.put()))) return 0;
    Com<IMFMediaType> type;
    if (FAILED(Createmediatype(type.put()))) return 0;
    type.get()->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
    type.get()->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_PCM);
    type.get()->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 16);
    if (FAILED(reader.get()->SetCurrentMediaType(MF_SOURCE_READER_FIRST_AUDIO_STREAM, nullptr, type.get()))) return 0;
    // Room for the whole song at once: growing the buffer is no part of decoding.
    std::string pcm;
    pcm.reserve(size_t(64) << 20);
    for (;;) {
        DWORD flags = 0;
        Com<IMFSample> sample;
        if (FAILED(reader.get()->ReadSample(MF_SOURCE_READER_FIRST_AUDIO_STREAM, 0, nullptr, &flags, nullptr,
                                            sample.put())) ||
            (flags & MF_SOURCE_READERF_ENDOFSTREAM))
            break;
        if (!sample) continue;
        Com<IMFMediaBuffer> buffer;
        if (FAILED(sample.get()->ConvertToContiguousBuffer(buffer.put()))) break;
        BYTE* bytes = nullptr;
        DWORD length = 0;
        if (SUCCEEDED(buffer.get()->Lock(&bytes, nullptr, &length))) {
            pcm.append(reinterpret_cast<const char*>(bytes), length);
            buffer.get()->Unlock();
        }
    }
    return pcm.size();
}
}

int Conversionbench(const std::wstring& song, const std::wstring& folder)
{
    Mediascope media;
    convertedfolder = folder;
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::atomic<bool> never{false};
    std::vector<double> kvx, floor;
    size_t decoded = 0;
    // In turns, so both see the same load on the machine; the copy is removed each time so that
    // Kvx converts anew.
    for (int round = 0; round < 5; ++round) {
        double start = Nowms();
        decoded = Decodetomemory(song);
        floor.push_back(Nowms() - start);
        std::wstring copy = Copyfor(song).path;
        DeleteFileW(copy.c_str());
        start = Nowms();
        Soundcopy made = Convertsound(song, never);
        kvx.push_back(Nowms() - start);
        if (made.state != Copystate::ready || decoded == 0) {
            std::printf("conversion  cannot convert %ls\n", song.c_str());
            return 1;
        }
        DeleteFileW(made.path.c_str());
    }
    double k = Median(kvx), f = Median(floor);
    std::printf("%-11s %-9s kvx %8.1f ms  floor %8.1f ms  ratio %6.2f   (3-minute MP3 to its wave copy; floor: "
                "decoded to memory, %.1f MB)\n",
                "song", "convert", k, f, f > 0 ? k / f : 0.0, double(decoded) / 1048576);
    std::fflush(stdout);
    return 0;
}
