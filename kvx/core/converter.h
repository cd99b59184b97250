// Decoding a compressed sound (MP3, AAC, WMA, FLAC, Ogg, Opus, AIFF: whatever the system's Media
// Foundation decodes) into a wave file, since Windows plays only wave files for its events.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

struct IMFSourceReader;
struct IMFMediaType;

// Media Foundation on this thread while it lives: COM (CoInitializeEx) and MFStartup, undone at
// the end. Cheap when the thread holds one already: both count their users.
class Mediascope {
public:
    Mediascope();
    ~Mediascope();
    Mediascope(const Mediascope&) = delete;
    Mediascope& operator=(const Mediascope&) = delete;
    bool ready() const { return started_; }

private:
    bool com_ = false;      // this scope's CoInitializeEx is to be undone
    bool started_ = false;  // MFStartup succeeded
};

// Why a sound was not converted.
enum class Refusal : uint8_t {
    unsupported,  // cannot be opened or decoded
    tooshort,     // less than 10 ms of sound
    toolong,      // more than 10 minutes
    writefailed,  // the copy could not be written (disk full, no permission...)
};
struct Refused {
    Refusal why = Refusal::unsupported;
    uint32_t error = 0;  // the system's error code of a write failure
};
// The reason as the user reads it.
std::wstring Refusaltext(const Refused& refused);

inline constexpr uint64_t maxsoundms = 10 * 60 * 1000;
inline constexpr uint64_t minsoundms = 10;

// Called between samples: how much is decoded and the whole, in milliseconds (whole 0: unknown).
using Convertprogress = std::function<void(uint64_t donems, uint64_t wholems)>;

enum class Decodeend : uint8_t { done, refused, cancelled };
struct Decoded {
    Decodeend end = Decodeend::refused;
    Refused refused;  // when refused
};
// Writes source, decoded, as a 16-bit PCM wave file to target: the first audio stream at its own
// sample rate, mono or stereo (more channels mixed down to two). It is written under a temporary
// name beside target and renamed into place at the end, so target is whole or absent; on a
// refusal or a cancel nothing is left. cancel is looked at between samples. Sets up Media
// Foundation itself (a Mediascope) when the calling thread holds none.
Decoded Decodetowave(const std::wstring& source, const std::wstring& target, const std::atomic<bool>& cancel,
                     const Convertprogress& progress = {});
// Media Foundation's own functions, for a thread within a Mediascope; E_NOTIMPL where the system
// has none.
long Createsourcereader(const std::wstring& path, IMFSourceReader** reader);
long Createmediatype(IMFMediaType** type);
// The names Decodetowave writes to before the rename end in this.
inline constexpr wchar_t tempsuffix[] = L".tmp";
