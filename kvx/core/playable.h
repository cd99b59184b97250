// Whether a listed sound can be heard: its file exists and is a wave file that Windows plays.
// A file named .wav may be anything (an MP3 renamed, a truncated download, a text file); such a
// file is never made current, and the lists show it like a missing one.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

enum class Soundstate : uint8_t { missing, unplayable, playable };

// Reads size bytes at offset into buffer; false when they are not all there.
using Readat = std::function<bool(uint64_t offset, void* buffer, size_t size)>;
// Whether a file of filesize bytes is a wave file that plays: RIFF of form WAVE holding a "fmt "
// chunk (16 bytes at least, channels and sample rate not 0) and a "data" chunk, both inside the
// file. Any format tag counts: Windows decodes compressed ones through its codecs. A RIFF size
// larger than the file (as some recorders leave it) is tolerated.
bool Playablewave(const Readat& read, uint64_t filesize);
// The same for a whole file in memory.
bool Playablewave(std::string_view bytes);

// The state of the file at path. The verdict on its content is kept with the file's size and
// time and its head read again only when they change: a call costs one look at the file's
// attributes, which also tells whether it exists.
Soundstate Checksound(const std::wstring& path);
