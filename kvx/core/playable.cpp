#include "playable.h"

#include "handles.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace {
constexpr size_t headbytes = 4096;
// A file of a million tiny chunks is no sound file: the walk gives up long before.
constexpr int maxchunks = 4096;

uint32_t Le32(const unsigned char* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

uint16_t Le16(const unsigned char* bytes)
{
    return uint16_t(bytes[0] | bytes[1] << 8);
}

struct Verdict {
    uint64_t size;
    FILETIME written;
    bool playable;
};
// By path as listed: the same file under another spelling only costs one more read of its head.
std::unordered_map<std::wstring, Verdict> verdicts;

// Reads a file through a buffer of its head: a usual wave file is judged from one read.
class Headreader {
public:
    Headreader(HANDLE file, uint64_t size) : file_(file), size_(size) {}
    bool operator()(uint64_t offset, void* buffer, size_t count)
    {
        if (offset + count > size_) return false;
        if (!loaded_) {
            head_.resize(size_t(std::min<uint64_t>(size_, headbytes)));
            loaded_ = Readfrom(0, head_.data(), head_.size());
            if (!loaded_) return false;
        }
        if (offset + count <= head_.size()) {
            std::memcpy(buffer, head_.data() + offset, count);
            return true;
        }
        return Readfrom(offset, buffer, count);
    }

private:
    bool Readfrom(uint64_t offset, void* buffer, size_t count)
    {
        LARGE_INTEGER at{};
        at.QuadPart = LONGLONG(offset);
        DWORD got = 0;
        return SetFilePointerEx(file_, at, nullptr, FILE_BEGIN) &&
               ReadFile(file_, buffer, DWORD(count), &got, nullptr) && got == count;
    }

    HANDLE file_;
    uint64_t size_;
    std::string head_;
    bool loaded_ = false;
};
}

bool Playablewave(const Readat& read, uint64_t filesize)
{
    unsigned char riff[12];
    if (!read(0, riff, sizeof riff) || std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0)
        return false;
    // Chunks lie within the RIFF's own size, or within the file when it claims more.
    uint64_t end = std::min<uint64_t>(filesize, 8 + uint64_t(Le32(riff + 4)));
    bool format = false, data = false;
    uint64_t at = 12;
    for (int chunks = 0; chunks < maxchunks && at + 8 <= end; ++chunks) {
        unsigned char header[8];
        if (!read(at, header, sizeof header)) return false;
        uint32_t size = Le32(header + 4);
        if (std::memcmp(header, "fmt ", 4) == 0 && size >= 16 && at + 8 + 16 <= end) {
            unsigned char fields[16];
            if (!read(at + 8, fields, sizeof fields)) return false;
            // Channels and sample rate; the format tag may be any.
            format = format || (Le16(fields + 2) != 0 && Le32(fields + 4) != 0);
        }
        if (std::memcmp(header, "data", 4) == 0) data = true;
        if (format && data) return true;
        // Chunks are padded to an even size.
        at += 8 + uint64_t(size) + (size & 1);
    }
    return false;
}

bool Playablewave(std::string_view bytes)
{
    return Playablewave(
        [bytes](uint64_t offset, void* buffer, size_t size) {
            if (offset + size > bytes.size()) return false;
            std::memcpy(buffer, bytes.data() + offset, size);
            return true;
        },
        bytes.size());
}

Soundstate Checksound(const std::wstring& path)
{
    // A path holding a NUL would name another file than the one listed.
    if (path.empty() || path.find(L'\0') != std::wstring::npos) return Soundstate::missing;
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes) ||
        (attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return Soundstate::missing;
    uint64_t size = uint64_t(attributes.nFileSizeHigh) << 32 | attributes.nFileSizeLow;
    const FILETIME& written = attributes.ftLastWriteTime;
    auto known = verdicts.find(path);
    if (known != verdicts.end() && known->second.size == size && CompareFileTime(&known->second.written, &written) == 0)
        return known->second.playable ? Soundstate::playable : Soundstate::unplayable;
    Kernelhandle file = Ownfile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    // A file that cannot be opened now cannot be played now either; it is judged again next time.
    // A name that opens a device (a pipe, a port) is no sound file, and is never read.
    if (!file || GetFileType(file.get()) != FILE_TYPE_DISK) return Soundstate::unplayable;
    bool playable = Playablewave(Headreader(file.get(), size), size);
    verdicts.insert_or_assign(path, Verdict{size, written, playable});
    return playable ? Soundstate::playable : Soundstate::unplayable;
}
