#include "convertedcopies.h"

#include "folders.h"
#include "handles.h"
#include "playable.h"
#include "text.h"

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

std::wstring convertedfolder;

namespace {
// Copy names stay short enough for the players that take MAX_PATH characters at most.
constexpr size_t maxstem = 100;
// What a copy's name adds to its stem: "-" and 16 digits, ".wav"; and a temporary name after it.
constexpr size_t hashpart = 1 + 16 + 4;
constexpr size_t tempextra = 22;

struct Attributes {
    uint64_t size;
    FILETIME written;
};
bool Same(const Attributes& a, const Attributes& b)
{
    return a.size == b.size && CompareFileTime(&a.written, &b.written) == 0;
}

// Nothing for a path that is missing or a folder.
std::optional<Attributes> Look(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() || path.find(L'\0') != std::wstring::npos ||
        !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return Attributes{uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow, data.ftLastWriteTime};
}

// 64-bit FNV-1a.
class Fnv {
public:
    void Add(const void* bytes, size_t count)
    {
        for (size_t k = 0; k < count; ++k) hash_ = (hash_ ^ static_cast<const unsigned char*>(bytes)[k]) * 0x100000001B3ull;
    }
    void Add(uint64_t value)
    {
        for (int k = 0; k < 8; ++k) {
            unsigned char byte = (value >> (8 * k)) & 0xFF;
            Add(&byte, 1);
        }
    }
    uint64_t value() const { return hash_; }

private:
    uint64_t hash_ = 0xCBF29CE484222325ull;
};

}

std::wstring Copystem(const std::wstring& source)
{
    std::wstring stem = Lastname(source);
    size_t dot = stem.rfind(L'.');
    if (dot != std::wstring::npos) stem.resize(dot);
    size_t used = convertedfolder.size() + 1 + hashpart + tempextra;
    size_t room = used < MAX_PATH ? MAX_PATH - 1 - used : 0;
    if (stem.size() > std::min(room, maxstem)) {
        stem.resize(std::min(room, maxstem));
        // Never half a character.
        if (!stem.empty() && IS_HIGH_SURROGATE(stem.back())) stem.pop_back();
    }
    return stem + L"-";
}

namespace {
// <stem>-<16 hex digits>.wav: the digits tell the source's path (as Windows compares it), size
// and time apart, so a changed source gets another copy and two lists naming one file share one.
std::wstring Copypath(const std::wstring& source, const Attributes& attributes)
{
    Fnv hash;
    std::wstring folded = Foldcase(source);
    hash.Add(folded.data(), folded.size() * sizeof(wchar_t));
    hash.Add(attributes.size);
    hash.Add(uint64_t(attributes.written.dwHighDateTime) << 32 | attributes.written.dwLowDateTime);
    wchar_t digits[17];
    swprintf(digits, 17, L"%016llx", static_cast<unsigned long long>(hash.value()));
    return convertedfolder + L"\\" + Copystem(source) + digits + L".wav";
}

// What a file's head says: a wave file that plays, another file, or a device (a pipe, a port),
// which is never read nor given to a decoder, whose reading might never end; nothing when it
// cannot be read now.
enum class Head : uint8_t { wave, other, device };
std::optional<Head> Readhead(const std::wstring& path, uint64_t size)
{
    Kernelhandle file = Ownfile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return std::nullopt;
    if (GetFileType(file.get()) != FILE_TYPE_DISK) return Head::device;
    bool wave = Playablewave(
        [&file](uint64_t offset, void* buffer, size_t count) {
            LARGE_INTEGER at{};
            at.QuadPart = LONGLONG(offset);
            DWORD got = 0;
            return SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) &&
                   ReadFile(file.get(), buffer, DWORD(count), &got, nullptr) && got == count;
        },
        size);
    return wave ? Head::wave : Head::other;
}

// What is known of a source at a size and time: a wave file, a source to convert into copy,
// or one whose conversion was refused.
enum class Kind : uint8_t { wave, convertible, refused };
struct Known {
    Attributes attributes;
    Kind kind;
    std::wstring copy;
    Refused refused;
};
// By path as listed. The pass and the worker's thread both use it.
std::mutex memorylock;
std::unordered_map<std::wstring, Known> memory;

std::optional<Known> Recall(const std::wstring& source, const Attributes& now)
{
    std::lock_guard hold(memorylock);
    auto found = memory.find(source);
    if (found == memory.end() || !Same(found->second.attributes, now)) return std::nullopt;
    // A copy named for another folder (tests move it) is named again.
    if (found->second.kind != Kind::wave && Parentfolder(found->second.copy) != convertedfolder) return std::nullopt;
    return found->second;
}

void Remember(const std::wstring& source, const Known& known)
{
    std::lock_guard hold(memorylock);
    memory.insert_or_assign(source, known);
}

// The state with the attributes it was judged on.
struct Judged {
    Soundcopy copy;
    Attributes attributes{};
};
Judged Judge(const std::wstring& source)
{
    std::optional<Attributes> now = Look(source);
    if (!now) return {};
    std::optional<Known> known = Recall(source, *now);
    if (!known) {
        std::optional<Head> head = Readhead(source, now->size);
        if (head == Head::device) return {};
        known = Known{*now, head == Head::wave ? Kind::wave : Kind::convertible, Copypath(source, *now), {}};
        // A source that cannot be read now is judged again next time.
        if (head) Remember(source, *known);
    }
    switch (known->kind) {
    case Kind::wave: return {{Copystate::wave, source, {}}, *now};
    case Kind::refused: return {{Copystate::refused, known->copy, known->refused}, *now};
    case Kind::convertible: break;
    }
    Copystate state = Look(known->copy) ? Copystate::ready : Copystate::pending;
    return {{state, known->copy, {}}, *now};
}
}

Soundcopy Copyfor(const std::wstring& source)
{
    return Judge(source).copy;
}

std::optional<std::wstring> Playablecopy(const std::wstring& source)
{
    Soundcopy copy = Copyfor(source);
    if (copy.state != Copystate::ready) return std::nullopt;
    return copy.path;
}

Soundcopy Convertsound(const std::wstring& source, const std::atomic<bool>& cancel, const Convertprogress& progress)
{
    Judged judged = Judge(source);
    if (judged.copy.state != Copystate::pending) return judged.copy;
    // Without its own folder (the system could not tell where) Kvx writes nowhere else.
    if (convertedfolder.empty()) return {Copystate::refused, {}, {Refusal::writefailed, ERROR_PATH_NOT_FOUND}};
    Decoded decoded = Decodetowave(source, judged.copy.path, cancel, progress);
    switch (decoded.end) {
    case Decodeend::done: return {Copystate::ready, judged.copy.path, {}};
    case Decodeend::cancelled: return {Copystate::cancelled, judged.copy.path, {}};
    case Decodeend::refused: break;
    }
    // A copy that could not be written (a full disk) is tried again once there may be room: only
    // what the source itself is makes a refusal that holds.
    if (decoded.refused.why != Refusal::writefailed)
        Remember(source, Known{judged.attributes, Kind::refused, judged.copy.path, decoded.refused});
    return {Copystate::refused, judged.copy.path, decoded.refused};
}

int Removeunusedcopies(const std::vector<std::wstring>& listedsources, const std::vector<std::wstring>& named)
{
    if (convertedfolder.empty()) return 0;
    std::unordered_set<std::wstring> current;
    for (const std::wstring& path : named) current.insert(Foldcase(Lastname(path)));
    // A source out of reach now (a stick not plugged in, a share not connected yet) keeps every
    // copy of its name: which one is its own cannot be told without its size and time.
    std::vector<std::wstring> unreachable;
    for (const std::wstring& source : listedsources) {
        Soundcopy copy = Copyfor(source);
        if (copy.state == Copystate::missing) {
            unreachable.push_back(Foldcase(Copystem(source)));
        } else if (copy.state != Copystate::wave) {
            current.insert(Foldcase(Lastname(copy.path)));
        }
    }
    auto ofunreachable = [&unreachable](const std::wstring& name) {
        std::wstring folded = Foldcase(name);
        return std::any_of(unreachable.begin(), unreachable.end(),
                           [&folded](const std::wstring& stem) { return folded.starts_with(stem); });
    };
    int removed = 0;
    for (const std::wstring& name : Foldernames(convertedfolder)) {
        bool unused = Endswithtext(name, L".wav") && !current.contains(Foldcase(name)) && !ofunreachable(name);
        // A temporary file still being written is not shared for deleting: it stays.
        if ((unused || Endswithtext(name, tempsuffix)) && DeleteFileW((convertedfolder + L"\\" + name).c_str()))
            ++removed;
    }
    return removed;
}
