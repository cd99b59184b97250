#include "player.h"

#include "playable.h"

#include <windows.h>
#include <mmsystem.h>

#include <memory>

std::function<void(const std::wstring&, const std::string&)> playerhook;

namespace {
// A system sound of this size would be hours long: such a file is not read into memory.
constexpr LONGLONG maxsoundbytes = 256ll << 20;

struct Playing {
    std::wstring path;
    std::string bytes;
};

DWORD WINAPI Playthread(void* parameter)
{
    // The thread owns the bytes: they must outlive the sound, not the caller.
    std::unique_ptr<Playing> playing(static_cast<Playing*>(parameter));
    if (playerhook)
        playerhook(playing->path, playing->bytes);
    else
        PlaySoundW(reinterpret_cast<LPCWSTR>(playing->bytes.data()), nullptr, SND_MEMORY | SND_SYNC | SND_NODEFAULT);
    return 0;
}
}

std::optional<std::string> Loadsound(const std::wstring& path)
{
    if (Checksound(path) != Soundstate::playable) return std::nullopt;
    Kernelhandle file = Ownfile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > maxsoundbytes) return std::nullopt;
    std::string bytes(size_t(size.QuadPart), '\0');
    for (size_t done = 0; done < bytes.size();) {
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes.data() + done, DWORD(bytes.size() - done), &got, nullptr) || got == 0)
            return std::nullopt;
        done += got;
    }
    // Judged again on what was read: the file may have changed since its verdict.
    if (!Playablewave(bytes)) return std::nullopt;
    return bytes;
}

Kernelhandle Startsound(const std::wstring& path)
{
    std::optional<std::string> bytes = Loadsound(path);
    if (!bytes) return {};
    auto playing = std::make_unique<Playing>(Playing{path, std::move(*bytes)});
    Kernelhandle thread(CreateThread(nullptr, 0, Playthread, playing.get(), 0, nullptr));
    if (thread) playing.release();
    return thread;
}

void Stopsound()
{
    if (!playerhook) PlaySoundW(nullptr, nullptr, 0);
}
