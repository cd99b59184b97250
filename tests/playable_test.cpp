// Which files play: the heads of wave files and of what only looks like one.
#include "playable.h"
#include "scratch.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

namespace {

std::string Le(uint32_t value, int bytes)
{
    std::string out;
    for (int k = 0; k < bytes; ++k) out += char((value >> (8 * k)) & 0xFF);
    return out;
}

std::string Chunk(const char* id, const std::string& body)
{
    return std::string(id, 4) + Le(uint32_t(body.size()), 4) + body + (body.size() % 2 ? std::string(1, '\0') : "");
}

// A fmt chunk's body: format tag, channels, rate, byte rate, block align, bits; and extra bytes.
std::string Format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, const std::string& extra = {})
{
    uint16_t align = uint16_t(channels * bits / 8);
    return Le(tag, 2) + Le(channels, 2) + Le(rate, 4) + Le(rate * align, 4) + Le(align, 2) + Le(bits, 2) + extra;
}

std::string Riff(const std::string& form, const std::string& chunks, std::optional<uint32_t> size = {})
{
    return "RIFF" + Le(size.value_or(uint32_t(4 + chunks.size())), 4) + form + chunks;
}

TEST(Playable, OnlyWaveFilesWithTheirFormatAndDataInsideThePlay)
{
    const std::string samples(64, '\x80');
    const std::string pcm = Chunk("fmt ", Format(1, 1, 8000, 8)) + Chunk("data", samples);
    // WAVE_FORMAT_EXTENSIBLE: 22 more bytes after a size field.
    const std::string extensible =
        Chunk("fmt ", Format(0xFFFE, 2, 44100, 16, Le(22, 2) + Le(16, 2) + Le(3, 4) + std::string(16, '\x01')));
    struct Case {
        const char* name;
        std::string bytes;
        bool plays;
    };
    const std::vector<Case> cases = {
        {"PCM", Riff("WAVE", pcm), true},
        {"32-bit float", Riff("WAVE", Chunk("fmt ", Format(3, 2, 48000, 32)) + Chunk("data", samples)), true},
        {"extensible", Riff("WAVE", extensible + Chunk("data", samples)), true},
        {"compressed (ADPCM): Windows decodes it", Riff("WAVE", Chunk("fmt ", Format(2, 1, 22050, 4, Le(32, 2) + std::string(32, '\0'))) + Chunk("data", samples)), true},
        {"chunks before and between", Riff("WAVE", Chunk("LIST", "INFOISFT" + Chunk("x", "ab")) + Chunk("fmt ", Format(1, 1, 8000, 8)) + Chunk("fact", Le(64, 4)) + Chunk("data", samples)), true},
        {"odd-sized chunk padded", Riff("WAVE", Chunk("junk", "abc") + pcm), true},
        {"a RIFF size larger than the file", Riff("WAVE", pcm, 1000000), true},
        {"a RIFF size of 0xFFFFFFFF, as streams leave it", Riff("WAVE", pcm, 0xFFFFFFFF), true},
        {"data cut short by a download", Riff("WAVE", pcm).substr(0, 12 + 24 + 8 + 10), true},
        {"zero bytes", "", false},
        {"RIFF alone", "RIFF", false},
        {"header cut inside fmt", Riff("WAVE", pcm).substr(0, 12 + 8 + 10), false},
        {"no data chunk", Riff("WAVE", Chunk("fmt ", Format(1, 1, 8000, 8))), false},
        {"no fmt chunk", Riff("WAVE", Chunk("data", samples)), false},
        {"fmt of 14 bytes", Riff("WAVE", Chunk("fmt ", Format(1, 1, 8000, 8).substr(0, 14)) + Chunk("data", samples)), false},
        {"no channels", Riff("WAVE", Chunk("fmt ", Format(1, 0, 8000, 8)) + Chunk("data", samples)), false},
        {"sample rate 0", Riff("WAVE", Chunk("fmt ", Format(1, 1, 0, 8)) + Chunk("data", samples)), false},
        {"a data chunk past the end", Riff("WAVE", Chunk("fmt ", Format(1, 1, 8000, 8)) + "LIST" + Le(5000, 4) + std::string(40, 'x') + Chunk("data", samples)).substr(0, 12 + 24 + 48), false},
        {"a data chunk past the RIFF's own end", Riff("WAVE", pcm, 4 + 24), false},
        {"MP3 renamed", std::string("ID3\x03\0\0\0\0\0\x21", 10) + std::string(200, '\xFB'), false},
        {"MP3 frames", std::string("\xFF\xFB\x90\x64", 4) + std::string(400, '\0'), false},
        {"RIFF AVI", Riff("AVI ", Chunk("LIST", "hdrl" + Chunk("avih", std::string(56, '\0'))) + Chunk("fmt ", Format(1, 1, 8000, 8)) + Chunk("data", samples)), false},
        {"a text file", "C:\\Windows\\Media\\chimes.wav\r\n", false},
    };
    Scratchfolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Playablewave(c.bytes), c.plays);
        // The same file on disk, under a name in any characters.
        const std::wstring path = folder.File(L"소리 " + std::to_wstring(&c - cases.data()) + L".wav");
        Writebytes(path, c.bytes);
        EXPECT_EQ(Checksound(path), c.plays ? Soundstate::playable : Soundstate::unplayable);
    }
    EXPECT_EQ(Checksound(folder.File(L"gone.wav")), Soundstate::missing);
    EXPECT_EQ(Checksound(folder.path()), Soundstate::missing) << "a folder is no sound";
}

TEST(Playable, AFileThatChangesIsJudgedAgain)
{
    Scratchfolder folder;
    const std::wstring path = folder.Sound(L"changing.wav");
    EXPECT_EQ(Checksound(path), Soundstate::playable);
    Writebytes(path, "not a sound any more");
    EXPECT_EQ(Checksound(path), Soundstate::unplayable);
    Writebytes(path, Wavebytes(16));
    EXPECT_EQ(Checksound(path), Soundstate::playable);
    DeleteFileW(path.c_str());
    EXPECT_EQ(Checksound(path), Soundstate::missing);
}

}
