// Playing sound files whatever the characters of their paths: a file is read here and played
// from memory, since the system's player opens a path only in the ANSI code page on some
// systems. Each sound plays on a thread of its own, so the caller never waits unless it wants to.
#pragma once

#include "handles.h"

#include <functional>
#include <optional>
#include <string>

// The whole file, when it is a wave file that plays; nothing otherwise (missing, unplayable,
// larger than any sound file a user would list).
std::optional<std::string> Loadsound(const std::wstring& path);
// Plays the file, stopping any sound of this program still playing, with no default sound when
// it cannot play. Returns the playing thread, signalled once the sound has ended; empty when
// nothing plays.
Kernelhandle Startsound(const std::wstring& path);
// Stops the sound that plays now, if any.
void Stopsound();

// Tests stand in for the system's player here: called on the playing thread with the path and
// the file's bytes, it returns once the sound has ended.
extern std::function<void(const std::wstring& path, const std::string& bytes)> playerhook;
