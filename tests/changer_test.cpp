#include "changer.h"
#include "listfiles.h"
#include "originals.h"
#include "registry.h"
#include "scratch.h"
#include "schemetable.h"
#include "settings.h"
#include "text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

const std::wstring root = std::wstring(appsroot) + L"\\";

class Changer : public ::testing::Test {
protected:
    void SetUp() override
    {
        listfolder = folder.path();
        for (const wchar_t* event : {L"Close", L"Open"}) Putkey(root + L"App\\" + event);
        Putvalue(root + L"App\\Open\\.Current", L"", L"untouched.wav");
        Buildtable();
        Loadalllists();
        tickcount = 0;
        Seedrandom(12345);
    }
    std::wstring Current(const wchar_t* event) { return Getregstr(HKEY_CURRENT_USER, root + L"App\\" + event + L"\\.Current", L""); }

    Scratchregistry scratch;
    Scratchfolder folder;
};

TEST_F(Changer, TicksThatRunAPassFollowCinterval)
{
    struct Case {
        int16_t interval;
        std::vector<int> passticks;  // ticks 1..10 on which a pass runs
    };
    for (const Case& c : std::vector<Case>{
             {1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}}, {5, {5, 10}}, {-3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}}, {3, {3, 6, 9}}}) {
        cinterval = c.interval;
        tickcount = 0;
        std::vector<int> ran;
        for (int tick = 1; tick <= 10; ++tick)
            if (Timertick()) ran.push_back(tick);
        EXPECT_EQ(ran, c.passticks) << "cinterval " << c.interval;
    }
}

TEST_F(Changer, LoweredIntervalRunsAtTheNextTick)
{
    cinterval = 10;
    for (int tick = 0; tick < 6; ++tick) EXPECT_FALSE(Timertick());
    cinterval = 2;
    EXPECT_TRUE(Timertick());
    EXPECT_EQ(tickcount, 0);
}

TEST_F(Changer, LargestIntervalNeverOverflowsTheCounter)
{
    cinterval = INT16_MAX;
    tickcount = INT16_MAX - 1;
    EXPECT_TRUE(Timertick());
    EXPECT_EQ(tickcount, 0);
}

TEST_F(Changer, EmptyListLeavesCurrentUntouched)
{
    Changepass();
    EXPECT_EQ(Current(L"Open"), L"untouched.wav");
    EXPECT_FALSE(Keyexists(root + L"App\\Close\\.Current"));
}

TEST_F(Changer, EveryEntryIsPickedAndNoIndexReachesTheCount)
{
    std::vector<std::wstring> list;
    for (const wchar_t* name : {L"a.wav", L"b.wav", L"c.wav", L"d.wav", L"e.wav"}) list.push_back(folder.Sound(name));
    ASSERT_TRUE(Savedata(1, 1, list));
    std::set<std::wstring> seen;
    for (int pass = 0; pass < 200; ++pass) {
        Changepass();
        std::wstring now = Current(L"Open");
        ASSERT_NE(std::find(list.begin(), list.end(), now), list.end()) << "picked an entry beyond the count";
        seen.insert(now);
    }
    EXPECT_EQ(seen.size(), list.size());
    // The key is created for an event whose .Current key is missing.
    ASSERT_TRUE(Savedata(1, 0, {folder.Sound(L"only.wav")}));
    Changepass();
    EXPECT_EQ(Current(L"Close"), folder.File(L"only.wav"));
}

TEST_F(Changer, PassUsesTheSavedCountNotLaterEdits)
{
    ASSERT_TRUE(Savedata(1, 1, {folder.Sound(L"a.wav"), folder.Sound(L"b.wav"), folder.Sound(L"c.wav")}));
    ASSERT_TRUE(Savedata(1, 1, {folder.Sound(L"z.wav")}));
    for (int pass = 0; pass < 20; ++pass) {
        Changepass();
        EXPECT_EQ(Current(L"Open"), folder.File(L"z.wav"));
    }
}

TEST_F(Changer, PicksOnlyFilesThatExistAndWithNorepeatNeverTheCurrentOneWhenAnotherIsThere)
{
    const std::wstring a = folder.Sound(L"a.wav"), b = folder.Sound(L"b.wav"), c = folder.Sound(L"c.wav");
    const std::wstring gone = folder.File(L"gone.wav"), gone2 = folder.File(L"gone2.wav");
    Writebytes(folder.File(L"text.wav"), "RIFF? no, a note about sounds\r\n");
    struct Case {
        const char* name;
        std::vector<std::wstring> list;
        std::wstring current;
        int16_t norepeat;
        std::set<std::wstring> picks;  // every pick lies here, and each of them comes up
    };
    const std::vector<Case> cases = {
        {"missing files are never picked", {gone, a, gone2, b}, L"x.wav", 0, {a, b}},
        {"one existing file", {gone, a, gone2}, L"x.wav", 0, {a}},
        {"a path in any characters", {folder.Sound(L"소리 é 😀.wav"), a}, L"x.wav", 0, {folder.File(L"소리 é 😀.wav"), a}},
        {"a file that cannot play", {folder.File(L"text.wav"), a}, L"x.wav", 0, {a}},
        {"no existing file: left as it is", {gone, gone2}, L"x.wav", 0, {L"x.wav"}},
        {"norepeat: never the current one", {a, b, c}, a, 1, {b, c}},
        {"norepeat: duplicates of the current one", {a, b, a, a}, a, 1, {b}},
        {"norepeat, the current one by another spelling", {a, b}, folder.File(L"A.WAV"), 1, {b}},
        {"norepeat, nothing else there: kept", {a, a, gone}, a, 1, {a}},
        {"without norepeat the current one may come again", {a, b}, a, 0, {a, b}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        norepeat = c.norepeat;
        ASSERT_TRUE(Savedata(1, 1, c.list));
        std::set<std::wstring> seen;
        for (int pass = 0; pass < 60; ++pass) {
            Putvalue(root + L"App\\Open\\.Current", L"", c.current);
            Changepass();
            seen.insert(Current(L"Open"));
        }
        EXPECT_EQ(seen, c.picks);
    }
    norepeat = 0;
}

TEST_F(Changer, TheFirstWriteRecordsTheUsersSoundOnce)
{
    Loadoriginals();
    ASSERT_TRUE(Savedata(1, 1, {folder.Sound(L"a.wav"), folder.Sound(L"b.wav")}));
    norepeat = 1;
    Changepass();
    Changepass();
    norepeat = 0;
    EXPECT_EQ(Getregstr(HKEY_CURRENT_USER, originalskey, L"App\\Open"), L"untouched.wav");
    EXPECT_FALSE(Valueexists(originalskey, L"App\\Close")) << "nothing written, nothing recorded";
    Restoreresult result = Restoreoriginals();
    EXPECT_EQ(result.restored, 1);
    EXPECT_EQ(Current(L"Open"), L"untouched.wav");
    EXPECT_TRUE(Getregvalues(HKEY_CURRENT_USER, originalskey).empty());
}

// An earlier run recorded the user's own sound and left its own pick in .Current: however this
// run learns the records (at once, in the background, or not before the first use) and whatever
// comes first (a pass or a restore), the user's sound is never replaced by the earlier pick.
TEST_F(Changer, AnEarlierRunsRecordIsKeptHoweverTheRecordsAreLearnt)
{
    ASSERT_TRUE(Savedata(1, 1, {folder.Sound(L"a.wav")}));
    struct Case {
        const char* name;
        void (*learn)();
        bool restorefirst;
    };
    const Case cases[] = {
        {"at once, then a pass", Loadoriginals, false},
        {"in the background, then a pass", Loadoriginalslater, false},
        {"in the background, then a restore", Loadoriginalslater, true},
        {"in the background twice, then a pass", [] { Loadoriginalslater(); Loadoriginalslater(); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Setregstr(HKEY_CURRENT_USER, originalskey, L"App\\Open", L"mine.wav"));
        Putvalue(root + L"App\\Open\\.Current", L"", L"earlier pick.wav");
        c.learn();
        if (!c.restorefirst) {
            Changepass();
            EXPECT_EQ(Current(L"Open"), folder.File(L"a.wav"));
            EXPECT_EQ(Getregstr(HKEY_CURRENT_USER, originalskey, L"App\\Open"), L"mine.wav");
        }
        EXPECT_EQ(Restoreoriginals().restored, 1);
        EXPECT_EQ(Current(L"Open"), L"mine.wav");
        // With the record gone, the next change records anew.
        Changepass();
        EXPECT_EQ(Getregstr(HKEY_CURRENT_USER, originalskey, L"App\\Open"), L"mine.wav");
        EXPECT_EQ(Restoreoriginals().restored, 1);
    }
}

TEST_F(Changer, AValueThatCannotBeChangedIsNeitherRecordedNorWritten)
{
    Loadoriginals();
    ASSERT_TRUE(Savedata(1, 1, {folder.Sound(L"a.wav")}));
    {
        Readonlykey lock(root + L"App\\Open\\.Current");
        Changepass();
        EXPECT_FALSE(Valueexists(originalskey, L"App\\Open")) << "no record of a value that was not changed";
    }
    EXPECT_EQ(Current(L"Open"), L"untouched.wav");
    Changepass();
    EXPECT_EQ(Getregstr(HKEY_CURRENT_USER, originalskey, L"App\\Open"), L"untouched.wav");
    EXPECT_EQ(Current(L"Open"), folder.File(L"a.wav"));
}

TEST_F(Changer, AnyOriginalIsRecordedExactlyReplacedAndComesBackExactly)
{
    auto text = [](const std::wstring& t) { return std::string(reinterpret_cast<const char*>(t.c_str()), (t.size() + 1) * 2); };
    struct Case {
        const char* name;
        DWORD type;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"Windows' own sound", REG_EXPAND_SZ, text(L"%SystemRoot%\\media\\Windows Ding.wav")},
        {"a path the code page cannot spell", REG_SZ, text(L"C:\\Music\\Beyoncé\\효과음 😀.wav")},
        {"a number", REG_DWORD, std::string("\x2A\0\0\0", 4)},
        {"binary data", REG_BINARY, std::string("\0\xFF\x01\x80 binary", 11)},
        {"several strings", REG_MULTI_SZ, text(L"a.wav") + text(L"b.wav") + std::string(2, '\0')},
        {"a text of 50,000 characters", REG_SZ, text(std::wstring(50000, L'長'))},
        {"no terminating NUL", REG_SZ, std::string("x\0.\0w\0a\0v\0", 10)},
    };
    const std::wstring open = root + L"App\\Open\\.Current";
    const std::wstring sound = folder.Sound(L"a.wav");
    ASSERT_TRUE(Savedata(1, 1, {sound}));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Loadoriginals();
        // Written exactly: the system adds no NUL to a string stored without one.
        ASSERT_TRUE(Writeregdata(Openforupdate(HKEY_CURRENT_USER, open, true).get(), L"", Regdata{c.type, c.bytes}));
        const auto before = Storedvalue(open, L"");
        ASSERT_EQ(before.first, c.type);
        ASSERT_EQ(before.second, c.bytes);
        Changepass();
        EXPECT_EQ(Current(L"Open"), sound) << "the list's sound is written whatever was there";
        EXPECT_EQ(Storedvalue(originalskey, L"App\\Open"), before) << "recorded exactly";
        Restoreresult result = Restoreoriginals();
        EXPECT_EQ(result.restored, 1);
        EXPECT_EQ(result.failed, 0);
        EXPECT_EQ(Storedvalue(open, L""), before) << "put back exactly";
    }
}

TEST(Random, DrawsStayBelowOne)
{
    Seedrandom(1);
    for (int draw = 0; draw < 100000; ++draw) {
        double r = Drawrandom();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
        ASSERT_LT(int(r * 101), 101);
    }
}

TEST(Startup, OptvalRunsOnePassAfterTheSettingsAreLoaded)
{
    Scratchregistry scratch;
    Scratchfolder folder;
    listfolder = folder.path();
    Putkey(root + L"App\\Open");
    Buildtable();
    Loadalllists();
    ASSERT_TRUE(Savedata(1, 0, {folder.Sound(L"start.wav")}));
    Loadsettings();
    EXPECT_FALSE(Startuppass());
    EXPECT_FALSE(Keyexists(root + L"App\\Open\\.Current"));
    Savesetting(L"optval1", L"1");
    Loadsettings();
    EXPECT_FALSE(Keyexists(root + L"App\\Open\\.Current")) << "loading the settings only loads them";
    EXPECT_TRUE(Startuppass());
    EXPECT_EQ(Getregstr(HKEY_CURRENT_USER, root + L"App\\Open\\.Current", L""), folder.File(L"start.wav"));
}

}
