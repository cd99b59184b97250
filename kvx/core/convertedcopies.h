// The wave copies of listed sounds that are no wave files: each such source is converted once,
// into a copy whose name follows from the source as it is now (its path, size and time), and the
// copy is what an event's .Current gets. Wave files are never converted: they play as they are.
#pragma once

#include "converter.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Folder of the copies: %LOCALAPPDATA%\Kvx\converted (tests point it elsewhere).
extern std::wstring convertedfolder;

enum class Copystate : uint8_t {
    missing,    // the source is not there
    wave,       // a wave file: it plays as it is
    ready,      // the copy of the source as it is now exists
    pending,    // no copy yet (never made, removed, or the source changed since)
    refused,    // converting the source as it is now was refused: refused says why
    cancelled,  // only from Convertsound: stopped before the end, nothing written
};
struct Soundcopy {
    Copystate state = Copystate::missing;
    // What plays: the source itself (wave) or its copy (ready); where the copy goes otherwise.
    std::wstring path;
    Refused refused;  // when refused
};

// The state of a source, as the lists show it. Costs one look at the source's attributes and,
// for a source that is no wave file, one at its copy's; the head of a source is read only when
// it was not seen before with that size and time. Safe on any thread.
Soundcopy Copyfor(const std::wstring& source);
// How every copy of source begins: its name without the extension, shortened as the folder's
// room asks, and "-". Tells a copy's source by name where the source cannot be looked at.
std::wstring Copystem(const std::wstring& source);
// What the change pass needs: the copy's path when it is ready, nothing otherwise.
std::optional<std::wstring> Playablecopy(const std::wstring& source);
// Converts the source now, unless it needs no conversion (missing, wave, ready) or its
// conversion was refused before at this size and time: then it says so at once. A refusal is
// remembered with the source's size and time, so a source is tried again only once it changed.
// Sets up Media Foundation itself when the calling thread holds none (see Mediascope).
Soundcopy Convertsound(const std::wstring& source, const std::atomic<bool>& cancel,
                       const Convertprogress& progress = {});
// Removes every copy in convertedfolder that is not the current copy of one of the listed
// sources nor among named (the copies events' .Current values name), and temporary files an
// interrupted conversion left (one being written stays). A listed source out of reach keeps the
// copies of its name. Returns how many files it removed.
int Removeunusedcopies(const std::vector<std::wstring>& listedsources, const std::vector<std::wstring>& named = {});
