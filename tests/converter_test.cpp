// Compressed sounds converted once into wave copies: what decodes, what is refused and why, one
// copy per source as it is now, the clean-up and cancelling. The inputs are made on the host from
// generated tones (tests/makesounds).
#include "conversionworker.h"
#include "convertedcopies.h"
#include "folders.h"
#include "playable.h"
#include "scratch.h"
#include "testsounds.h"
#include "text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <future>

namespace {

const std::atomic<bool> nocancel{false};

std::vector<std::wstring> Sorted(std::vector<std::wstring> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

class Converter : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!Soundsmade()) GTEST_SKIP() << "the test sounds were not made (tests/makesounds)";
        convertedfolder = scratch.File(L"変換済み");
    }
    // A copy of a test sound in the scratch folder, under name.
    std::wstring Source(const std::wstring& sound, const std::wstring& name)
    {
        std::wstring path = scratch.File(name);
        EXPECT_TRUE(CopyFileW((Soundsfolder() + L"\\" + sound).c_str(), path.c_str(), FALSE));
        return path;
    }
    std::vector<std::wstring> Copies() { return Sorted(Filesin(convertedfolder)); }

    Scratchfolder scratch;
};

TEST_F(Converter, EachFormatConvertsIntoAWaveCopyOrIsRefusedWithItsReason)
{
    const std::string mp3 = Readbytes(Soundsfolder() + L"\\tone.mp3");
    Writebytes(scratch.File(L"noise.mp3"), Noise(20000));
    Writebytes(scratch.File(L"half an MP3.mp3"), mp3.substr(0, mp3.size() / 2));
    // A name longer than copies' names may be: 99 letters, then characters of two UTF-16 units.
    std::wstring longname = std::wstring(99, L'a');
    for (int k = 0; k < 20; ++k) longname += L"\U0001F514";
    struct Case {
        std::wstring name;     // in the scratch folder
        const wchar_t* sound;  // the test sound it copies; null when written above
        Copystate state;
        double ms = tonems;
        double within = 0.02;
        Refusal why = Refusal::unsupported;
    };
    const Case cases[] = {
        {L"tone.mp3", L"tone.mp3", Copystate::ready},
        {L"tone.flac", L"tone.flac", Copystate::ready},
        {L"tone.ogg", L"tone.ogg", Copystate::ready},
        {L"tone.m4a", L"tone.m4a", Copystate::ready},
        {L"5.1 mixed down.flac", L"six.flac", Copystate::ready},
        {L"효과음.mp3", L"tone.mp3", Copystate::ready},
        {longname + L".mp3", L"tone.mp3", Copystate::ready},
        // What is there decodes; the frame cut in two is left out.
        {L"half an MP3.mp3", nullptr, Copystate::ready, tonems / 2, 0.05},
        {L"tone.wav", L"tone.wav", Copystate::wave},
        {.name = L"noise.mp3", .sound = nullptr, .state = Copystate::refused, .why = Refusal::unsupported},
        {.name = L"short.flac", .sound = L"short.flac", .state = Copystate::refused, .why = Refusal::tooshort},
        {.name = L"long.mp3", .sound = L"long.mp3", .state = Copystate::refused, .why = Refusal::toolong},
    };
    std::vector<std::wstring> made;
    for (const Case& c : cases) {
        SCOPED_TRACE(Toutf8(c.name.substr(0, 20)));
        std::wstring source = c.sound ? Source(c.sound, c.name) : scratch.File(c.name);
        EXPECT_EQ(Copyfor(source).state, c.state == Copystate::wave ? Copystate::wave : Copystate::pending);
        Soundcopy copy = Convertsound(source, nocancel);
        ASSERT_EQ(copy.state, c.state) << Toutf8(Refusaltext(copy.refused));
        // Known afterwards without decoding again, as the lists show it.
        Soundcopy known = Copyfor(source);
        EXPECT_EQ(known.state, c.state);
        EXPECT_EQ(known.path, copy.path);
        EXPECT_EQ(Playablecopy(source), c.state == Copystate::ready ? std::optional(copy.path) : std::nullopt);
        EXPECT_EQ(copy.path == source, c.state == Copystate::wave) << "a wave file plays as it is";
        EXPECT_TRUE(c.state != Copystate::refused || (copy.refused.why == c.why && known.refused.why == c.why));
        if (c.state != Copystate::ready) continue;
        // <stem>-<16 digits>.wav, the stem cut when long, never inside a character.
        std::wstring name = Lastname(copy.path), stem = c.name.substr(0, c.name.rfind(L'.'));
        made.push_back(name);
        size_t kept = name.size() - (1 + 16 + 4);
        EXPECT_EQ(Parentfolder(copy.path), convertedfolder);
        EXPECT_EQ(name.substr(0, kept) + L"-", stem.substr(0, kept) + name[kept]);
        EXPECT_EQ(kept < stem.size(), stem == longname);
        EXPECT_FALSE(IS_HIGH_SURROGATE(name[kept - 1]));
        EXPECT_LT(copy.path.size(), size_t(MAX_PATH));
        Wave wave = Readwave(copy.path);
        EXPECT_TRUE(wave.plays);
        EXPECT_EQ(wave.tag, 1);
        EXPECT_EQ(wave.bits, 16);
        EXPECT_EQ(wave.channels, 2u) << "stereo kept, 5.1 mixed down";
        EXPECT_NEAR(wave.ms, c.ms, c.ms * c.within);
        // The tone itself, a sine at 0.8 of full scale, not silence or noise.
        EXPECT_NEAR(wave.loudness, 0.8 / std::sqrt(2.0), 0.05);
    }
    // Nothing else: no copy of a refused source, no temporary file.
    EXPECT_EQ(Copies(), Sorted(made));
    EXPECT_EQ(Refusaltext({Refusal::unsupported}), L"形式に対応していません");
    EXPECT_EQ(Refusaltext({Refusal::tooshort}), L"短すぎます");
    EXPECT_EQ(Refusaltext({Refusal::toolong}), L"長すぎます (10 分まで)");
}

TEST_F(Converter, AWriteFailureIsRefusedWithTheSystemsWordsAndLeavesNothing)
{
    std::wstring source = Source(L"tone.ogg", L"tone.ogg");
    // A file where the folder of the copies should be.
    Writebytes(convertedfolder, "x");
    Soundcopy copy = Convertsound(source, nocancel);
    ASSERT_EQ(copy.state, Copystate::refused);
    EXPECT_EQ(copy.refused.why, Refusal::writefailed);
    EXPECT_NE(copy.refused.error, 0u);
    EXPECT_EQ(Refusaltext(copy.refused), L"変換したサウンドを保存できません: " + Errortext(copy.refused.error));
    EXPECT_EQ(Sorted(Filesin(scratch.path())), Sorted({L"tone.ogg", L"変換済み"}));
}

TEST_F(Converter, OneCopyPerSourceAsItIsNow)
{
    std::wstring source = Source(L"tone.mp3", L"効果音 1.mp3");
    Settime(source, 133000000000000000ull);
    Soundcopy first = Convertsound(source, nocancel);
    ASSERT_EQ(first.state, Copystate::ready);
    // Asked again, under another spelling too: the same copy, not made again.
    Writebytes(first.path, Readbytes(first.path) + "mark");
    for (const std::wstring& spelling : {source, Foldcase(source)}) {
        Soundcopy again = Convertsound(spelling, nocancel);
        EXPECT_EQ(again.state, Copystate::ready);
        EXPECT_EQ(again.path, first.path);
    }
    EXPECT_TRUE(Readbytes(first.path).ends_with("mark"));
    EXPECT_EQ(Copies(), std::vector<std::wstring>{Lastname(first.path)});

    // A changed source: another copy, the old one no longer counts.
    Settime(source, 133000000010000000ull);
    Soundcopy changed = Copyfor(source);
    EXPECT_EQ(changed.state, Copystate::pending);
    EXPECT_NE(changed.path, first.path);
    EXPECT_EQ(Playablecopy(source), std::nullopt);
    EXPECT_EQ(Convertsound(source, nocancel).path, changed.path);
    EXPECT_EQ(Playablecopy(source), changed.path);

    // So does another size at the first time.
    const std::string bytes = Readbytes(source);
    Writebytes(source, bytes + '\0');
    Settime(source, 133000000000000000ull);
    EXPECT_NE(Copyfor(source).path, first.path);
    Writebytes(source, bytes);
    Settime(source, 133000000010000000ull);

    // A copy removed is made again.
    ASSERT_TRUE(DeleteFileW(changed.path.c_str()));
    EXPECT_EQ(Copyfor(source).state, Copystate::pending);
    EXPECT_EQ(Playablecopy(source), std::nullopt);
    EXPECT_EQ(Convertsound(source, nocancel).state, Copystate::ready);
    EXPECT_TRUE(Readwave(changed.path).plays);

    // A refusal is remembered for the source as it is, and forgotten once it changed.
    std::wstring broken = scratch.File(L"broken.mp3");
    Writebytes(broken, Noise(5000));
    EXPECT_EQ(Convertsound(broken, nocancel).state, Copystate::refused);
    EXPECT_EQ(Copyfor(broken).state, Copystate::refused);
    Writebytes(broken, bytes);
    EXPECT_EQ(Copyfor(broken).state, Copystate::pending);
    EXPECT_EQ(Convertsound(broken, nocancel).state, Copystate::ready);
}

TEST_F(Converter, RemoveunusedcopiesKeepsExactlyTheCurrentCopiesOfListedSources)
{
    std::wstring kept = Source(L"tone.ogg", L"kept.ogg"), changed = Source(L"tone.ogg", L"changed.ogg"),
                 unlisted = Source(L"tone.ogg", L"unlisted.ogg"), wave = Source(L"tone.wav", L"tone.wav");
    for (const std::wstring& source : {kept, changed, unlisted})
        ASSERT_EQ(Convertsound(source, nocancel).state, Copystate::ready);
    Settime(changed, 132000000000000000ull);
    Soundcopy current = Convertsound(changed, nocancel);
    ASSERT_EQ(current.state, Copystate::ready);
    Writebytes(convertedfolder + L"\\left.wav.1f-3.tmp", "half");
    Writebytes(convertedfolder + L"\\notes.txt", "not Kvx's");
    // The copy of a listed source out of reach now, and one an event's .Current names.
    Writebytes(convertedfolder + L"\\gone-0123456789abcdef.wav", "a copy");
    // One whose long name was shortened in its copy's.
    const std::wstring longname = std::wstring(150, L'g');
    const std::wstring longcopy = longname.substr(0, 100) + L"-0123456789abcdef.wav";
    Writebytes(convertedfolder + L"\\" + longcopy, "a copy");
    const std::wstring named = Copyfor(unlisted).path;
    ASSERT_EQ(Copies().size(), 8u);

    EXPECT_EQ(Removeunusedcopies({kept, changed, wave, scratch.File(L"gone.mp3"), scratch.File(longname + L".mp3")},
                                 {named}),
              2);
    EXPECT_EQ(Copies(), Sorted({Lastname(*Playablecopy(kept)), Lastname(current.path), L"notes.txt",
                                L"gone-0123456789abcdef.wav", longcopy, Lastname(named)}));
    EXPECT_EQ(Removeunusedcopies({kept, changed}), 3) << "once no .Current names it and the source is gone";
    EXPECT_EQ(Copyfor(unlisted).state, Copystate::pending);
}

TEST_F(Converter, TheWorkerConvertsEachQueuedSourceOnceAndACancelLeavesNoFile)
{
    std::wstring a = Source(L"tone.mp3", L"a.mp3"), b = Source(L"tone.m4a", L"b.m4a"), c = Source(L"tone.ogg", L"c.ogg");
    std::vector<std::wstring> finished;  // by the worker's thread; read once it is idle
    std::promise<void> queued;
    std::shared_future<void> allqueued = queued.get_future().share();
    std::atomic<bool> cancelc{true};
    std::vector<std::wstring> during;  // the folder while c was converted
    Conversionworker* worker = nullptr;
    Conversionworker running(
        [&](const std::wstring& source) {
            allqueued.wait();  // the first source's end holds the worker until the others are queued
            finished.push_back(source);
        },
        [&](const std::wstring& source, uint64_t, uint64_t) {
            // The first conversion of c is stopped between its samples, from the worker's thread.
            if (source != c || !cancelc.exchange(false)) return;
            during = Copies();
            worker->Cancel();
        });
    worker = &running;
    for (const std::wstring& source : {a, b, a, b}) running.Queueconversion(source);
    queued.set_value();
    running.Waitidle();
    EXPECT_EQ(finished, (std::vector<std::wstring>{a, b}));
    EXPECT_EQ(Copies(), Sorted({Lastname(*Playablecopy(a)), Lastname(*Playablecopy(b))}));

    running.Queueconversion(c);
    running.Waitidle();
    EXPECT_FALSE(cancelc);
    EXPECT_EQ(finished.size(), 2u) << "no word of a cancelled source";
    EXPECT_EQ(std::count_if(during.begin(), during.end(), [](auto& name) { return Endswithtext(name, L".tmp"); }), 1);
    EXPECT_EQ(Copies().size(), 2u) << "nothing left of c";
    EXPECT_EQ(Copyfor(c).state, Copystate::pending);
    // Later sources convert as usual.
    running.Queueconversion(c);
    running.Waitidle();
    EXPECT_EQ(finished.back(), c);
    EXPECT_TRUE(Playablecopy(c));
}

}
