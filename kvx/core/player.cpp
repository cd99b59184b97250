#include "player.h"

#include "folders.h"
#include "playable.h"
#include "systemlibrary.h"

#include <windows.h>
#include <mmsystem.h>

#include <memory>

std::function<void(const std::wstring&, const std::string&)> playerhook;

namespace {
// A system sound of this size would be hours long: such a file is not read into memory.
constexpr uint64_t maxsoundbytes = 256ull << 20;

// The sound library is loaded with the first sound played, not with the program.
decltype(&PlaySoundW) Player()
{
    static const auto play = Systemfunction<decltype(&PlaySoundW)>(L"winmm.dll", "PlaySoundW");
    return play;
}

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
    else if (auto play = Player())
        play(reinterpret_cast<LPCWSTR>(playing->bytes.data()), nullptr, SND_MEMORY | SND_SYNC | SND_NODEFAULT);
    return 0;
}
}

std::optional<std::string> Loadsound(const std::wstring& path)
{
    if (Checksound(path) != Soundstate::playable) return std::nullopt;
    std::optional<std::string> bytes = Readfile(path, maxsoundbytes);
    // Judged again on what was read: the file may have changed since its verdict.
    if (!bytes || !Playablewave(*bytes)) return std::nullopt;
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
    if (!playerhook)
        if (auto play = Player()) play(nullptr, nullptr, 0);
}
