// Sounds as people have them, through the main window: dropped onto an event's list, converted
// once, and written into .Current as wave copies that play, while the list keeps naming the
// user's own file; copies shared, made again and never written while missing; a cancel that
// leaves nothing half done.
#include "changer.h"
#include "commands.h"
#include "convertedcopies.h"
#include "folders.h"
#include "form1.h"
#include "form4.h"
#include "keylist.h"
#include "kvxwindows.h"
#include "listbox.h"
#include "listfiles.h"
#include "pickers.h"
#include "registry.h"
#include "schemetable.h"
#include "settings.h"
#include "testsounds.h"
#include "text.h"

#include <cmath>

namespace {
using namespace form1;
using Rowlist = std::vector<std::wstring>;

class Conversions : public Kvxwindows {
protected:
    void SetUp() override
    {
        Kvxwindows::SetUp();
        if (!Soundsmade()) GTEST_SKIP() << "the test sounds were not made (tests/makesounds)";
        convertedfolder = folder.File(L"converted");
        Puttree(folder);
        Start();
        norepeat = 0;
        messagehook = [this](HWND, const std::wstring& text, const std::wstring&, UINT) {
            told += text;
            return IDOK;
        };
    }
    void TearDown() override
    {
        Kvxwindows::TearDown();
        convertedfolder.clear();
    }
    std::wstring Source(const std::wstring& sound, const std::wstring& name)
    {
        std::wstring path = folder.File(name);
        EXPECT_TRUE(CopyFileW((Soundsfolder() + L"\\" + sound).c_str(), path.c_str(), FALSE));
        return path;
    }
    // The shown event's list made only of what is dropped, then saved by a switch of event.
    void Droponly(const std::vector<std::wstring>& paths)
    {
        Pickevent(0);
        SendMessageW(Item(List2), LB_RESETCONTENT, 0, 0);
        Drop(paths, Middleof(List2));
        Pickevent(1);
        Pickevent(0);
    }
    static std::wstring Current(const wchar_t* app = L".Default", const wchar_t* event = L".Default")
    {
        return Getregstr(HKEY_CURRENT_USER, Currentpath(app, event), L"");
    }
    // Waits, the window answering, until the conversions in the background made what is missing.
    static void Waitforcopies(const std::wstring& source)
    {
        for (int k = 0; k < 500 && Copyfor(source).state != Copystate::ready; ++k) {
            Pump();
            Sleep(10);
        }
    }
    std::wstring told;
};

TEST_F(Conversions, DroppedSoundsOfEachKindBecomeWaveFilesThatPlayOrAreRefusedWithTheirReason)
{
    const std::string mp3 = Readbytes(Soundsfolder() + L"\\tone.mp3");
    struct Case {
        std::wstring name;
        const wchar_t* sound;  // null: the bytes below
        std::string bytes;
        const wchar_t* refused;  // the reason told; null when taken
    };
    const Case cases[] = {
        {L"ding.mp3", L"tone.mp3", {}, nullptr},
        {L"ding.flac", L"tone.flac", {}, nullptr},
        {L"ding.ogg", L"tone.ogg", {}, nullptr},
        {L"ding.m4a", L"tone.m4a", {}, nullptr},
        {L"효과음 ❤.mp3", L"tone.mp3", {}, nullptr},
        {L"ding.wav", L"tone.wav", {}, nullptr},
        {L"half.mp3", nullptr, mp3.substr(0, mp3.size() / 2), nullptr},
        {L"noise.mp3", nullptr, Noise(30000), L"形式に対応していません"},
        {L"long.mp3", L"long.mp3", {}, L"長すぎます (10 分まで)"},
    };
    size_t made = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(Toutf8(c.name));
        std::wstring source = folder.File(c.name);
        if (c.sound)
            Source(c.sound, c.name);
        else
            Writebytes(source, c.bytes);
        told.clear();
        Putvalue(Currentpath(L".Default", L".Default"), L"", L"old.wav");
        Droponly({source});
        if (c.refused) {
            EXPECT_NE(told.find(source + L"（" + c.refused + L"）"), std::wstring::npos) << Toutf8(told);
            EXPECT_EQ(Rows(List2), Rowlist{});
            EXPECT_EQ(Filesin(convertedfolder).size(), made) << "no copy left behind";
            continue;
        }
        EXPECT_EQ(told, L"");
        EXPECT_EQ(Rows(List2), Rowlist{source});
        Loaddata(1, 0);
        EXPECT_EQ(Savedsounds(1, 0), Rowlist{source}) << "the list file names the user's own file";
        Runforperson(form3::mchange);
        std::wstring current = Current();
        Wave wave = Readwave(current);
        EXPECT_TRUE(wave.plays) << Toutf8(current);
        EXPECT_EQ(wave.bits, 16u);
        // A wave file is never converted: it is written as it is.
        bool wavefile = c.name.ends_with(L".wav");
        EXPECT_EQ(current == source, wavefile);
        made += !wavefile;
        if (c.sound) {
            EXPECT_NEAR(wave.ms, tonems, tonems * 0.02);
        }
        EXPECT_EQ(Text(regbox2), source) << "the current sound is named by the user's file";
    }
}

TEST_F(Conversions, OneCopyServesTwoListsAndIsMadeAgainWhenItGoesOrItsSourceChanges)
{
    const std::wstring source = Source(L"tone.mp3", L"ding.mp3");
    Droponly({source});
    const std::wstring copy = Copyfor(source).path;
    Savedata(3, 1, {source});
    Changenow();
    EXPECT_EQ(Current(), copy);
    EXPECT_EQ(Current(L"Explorer", L"Navigating"), copy);
    EXPECT_EQ(Filesin(convertedfolder), Rowlist{Lastname(copy)});

    // A copy removed is never written while missing; the running Kvx makes it again.
    Putvalue(Currentpath(L".Default", L".Default"), L"", L"old.wav");
    ASSERT_TRUE(DeleteFileW(copy.c_str()));
    Changenow();
    EXPECT_EQ(Current(), L"old.wav");
    Waitforcopies(source);
    Changenow();
    EXPECT_EQ(Current(), copy);

    // A changed source: its old copy is never written again, a new one is made, and the old one
    // goes at the next start.
    Putvalue(Currentpath(L".Default", L".Default"), L"", L"old.wav");
    Source(L"tone.flac", L"ding.mp3");
    Settime(source, 133000000000000000ull);
    Changenow();
    EXPECT_EQ(Current(), L"old.wav");
    Waitforcopies(source);
    Changenow();
    const std::wstring newcopy = Current();
    EXPECT_NE(newcopy, copy);
    EXPECT_TRUE(Readwave(newcopy).plays);
    Unloadform1();
    Pump();
    Start();
    Unloadform1();
    EXPECT_EQ(Filesin(convertedfolder), Rowlist{Lastname(newcopy)});
}

TEST_F(Conversions, ACancelledAdditionAddsNothingAndLeavesNoPartialCopy)
{
    const std::wstring song = Source(L"song.mp3", L"song.mp3"), ding = Source(L"tone.mp3", L"ding.mp3");
    // The user cancels as soon as the progress window shows, during the first, long conversion.
    UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
        if (HWND button = GetDlgItem(Form4(), form4::Command1)) SendMessageW(button, BM_CLICK, 0, 0);
    });
    Pickevent(0);
    SendMessageW(Item(List2), LB_RESETCONTENT, 0, 0);
    Drop({song, ding}, Middleof(List2));
    KillTimer(nullptr, timer);
    EXPECT_EQ(Rows(List2), Rowlist{});
    EXPECT_NE(told.find(L"変換していない 2 個"), std::wstring::npos) << Toutf8(told);
    EXPECT_EQ(Filesin(convertedfolder), Rowlist{});
    EXPECT_EQ(Form4(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(Form1()));
}
}
