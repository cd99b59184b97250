#include "listfiles.h"
#include "registry.h"
#include "scratch.h"
#include "schemetable.h"
#include "settings.h"
#include "changer.h"
#include "text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <set>

namespace {

const std::wstring root = std::wstring(appsroot) + L"\\";

class Listfiles : public ::testing::Test {
protected:
    void SetUp() override { listfolder = folder.path(); }
    // Builds the table for the applications and events given, in enumeration (name) order.
    void Tree(const std::vector<std::pair<std::wstring, int>>& shape)
    {
        for (const auto& [app, events] : shape) {
            Putkey(root + app);
            for (int e = 0; e < events; ++e) Putkey(root + app + L"\\E" + std::to_wstring(e));
        }
        Buildtable();
    }
    std::wstring Count(int16_t app, int16_t event) { return Getsetting(Countkey(app, event), L"<none>"); }
    std::vector<std::wstring> Shown(int16_t app, int16_t event)
    {
        std::vector<std::wstring> list;
        for (int16_t k = 0; k < Readcount(app, event); ++k) list.push_back(soundlists.Get(app, event, k));
        return list;
    }

    Scratchregistry scratch;
    Scratchfolder folder;
};

TEST_F(Listfiles, FirstLoadCreatesEmptyFilesAndZeroCounts)
{
    Tree({{L"App", 2}, {L"Other", 1}});
    Loadalllists();
    for (const wchar_t* name : {L"App-0.dat", L"App-1.dat", L"Other-0.dat"})
        EXPECT_EQ(Readbytes(folder.File(name)), "") << name;
    EXPECT_EQ(Count(1, 0), L"0");
    EXPECT_EQ(Count(2, 0), L"0");
    EXPECT_EQ(Getregstr(HKEY_CURRENT_USER, settingskey, L"listcountOther-0"), L"0");
}

TEST_F(Listfiles, SaveAndLoadRoundTripShiftJisPathsWithCommasAndBlanks)
{
    Tree({{L"App", 1}});
    const std::vector<std::wstring> list = {L"C:\\サウンド\\ﾁｬｲﾑ, 1.wav", L"D:\\my sounds\\a  b.wav",
                                            L"C:\\表示\\能力.wav"};
    ASSERT_TRUE(Savedata(1, 0, list));
    EXPECT_EQ(Readbytes(folder.File(L"App-0.dat")), Toansi(list[0] + L"\r\n" + list[1] + L"\r\n" + list[2] + L"\r\n"));
    EXPECT_EQ(Count(1, 0), L"3");
    Buildtable();
    Loaddata(1, 0);
    EXPECT_EQ(Shown(1, 0), list);
}

TEST_F(Listfiles, LoadRewritesAStaleCountAndReadsEveryLineEnding)
{
    Tree({{L"App", 1}});
    Writebytes(folder.File(L"App-0.dat"), "a.wav\r\nb.wav\nc.wav\rd.wav");
    Savesetting(L"listcountApp-0", L"40");
    Loaddata(1, 0);
    EXPECT_EQ(Count(1, 0), L"4");
    EXPECT_EQ(Shown(1, 0), (std::vector<std::wstring>{L"a.wav", L"b.wav", L"c.wav", L"d.wav"}));
}

TEST_F(Listfiles, EmptyListLeavesAZeroByteFileAndHidesOldEntries)
{
    Tree({{L"App", 1}});
    ASSERT_TRUE(Savedata(1, 0, {L"1.wav", L"2.wav", L"3.wav", L"4.wav", L"5.wav"}));
    ASSERT_TRUE(Savedata(1, 0, {L"x.wav", L"y.wav"}));
    EXPECT_EQ(Readbytes(folder.File(L"App-0.dat")), "x.wav\r\ny.wav\r\n");
    EXPECT_EQ(Shown(1, 0), (std::vector<std::wstring>{L"x.wav", L"y.wav"}));
    EXPECT_EQ(soundlists.Get(1, 0, 4), L"5.wav");  // kept, but beyond the count
    ASSERT_TRUE(Savedata(1, 0, {}));
    EXPECT_EQ(Readbytes(folder.File(L"App-0.dat")), "");
    EXPECT_EQ(Count(1, 0), L"0");
    EXPECT_TRUE(Shown(1, 0).empty());
}

TEST_F(Listfiles, ListsHoldAtMost101Entries)
{
    Tree({{L"App", 1}});
    std::string file;
    std::vector<std::wstring> many;
    for (int k = 0; k < 150; ++k) {
        file += "s" + std::to_string(k) + ".wav\r\n";
        many.push_back(L"s" + std::to_wstring(k) + L".wav");
    }
    Writebytes(folder.File(L"App-0.dat"), file);
    Loaddata(1, 0);
    EXPECT_EQ(Count(1, 0), L"101");
    EXPECT_EQ(soundlists.Get(1, 0, 100), L"s100.wav");
    EXPECT_EQ(soundlists.Get(1, 0, 101), L"");
    ASSERT_TRUE(Savedata(1, 0, many));
    EXPECT_EQ(Count(1, 0), L"101");
    Loaddata(1, 0);
    EXPECT_EQ(Shown(1, 0), std::vector<std::wstring>(many.begin(), many.begin() + 101));
}

TEST_F(Listfiles, NamesAreKeptOrEscapedButNeverLeaveTheFolder)
{
    struct Case {
        std::wstring key;
        std::wstring file;
    };
    const std::vector<Case> cases = {
        {L".Default", L".Default-3.dat"},
        {L"My App", L"My App-3.dat"},
        {L"..", L".%2E-3.dat"},
        {L"a/b", L"a%2Fb-3.dat"},
        {L"x:y*z?", L"x%3Ay%2Az%3F-3.dat"},
        {L"<q>\"|", L"%3Cq%3E%22%7C-3.dat"},
        {L"tab\tname", L"tab%09name-3.dat"},
    };
    for (const Case& c : cases) EXPECT_EQ(Escapename(c.key) + L"-3.dat", c.file) << Toansi(c.key);

    // A name with backslashes cannot be a registry key, but a forward slash and ".." can.
    Tree({{L"..", 12}, {L"a/..", 1}});
    Loadalllists();
    EXPECT_TRUE(Fileexists(folder.File(L".%2E-11.dat")));
    EXPECT_TRUE(Fileexists(folder.File(L"a%2F.%2E-0.dat")));
    EXPECT_EQ(Getsetting(L"listcount..-11", L""), L"0");
    EXPECT_EQ(Filesin(folder.path()).size(), 13u);
}

// Names a damaged registry or a hostile user may give keys.
std::vector<std::wstring> Hostilenames()
{
    std::vector<std::wstring> names = {
        L"Victim¥Open", L"Café",  L"소리",   L"サウンド", L"AUX.b", L"COM1.a", L"NUL.x",  L"CON.wav", L"COM2.c",
        L"LPT1.txt",    L"PRN.d", L"aux .b", L"Lpt9..z", L"con",   L"COM0",   L"a:b",    L"a%3Ab",   L"a%",
        L"a.",          L"a ",    L"a..",    L"Victim",  L"Cafe",  L"COM10.x", L"LPT.x",  L"CONIN",
    };
    names.push_back(std::wstring(79, L'x'));
    names.push_back(std::wstring(255, L'y'));
    std::wstring forbidden;
    for (wchar_t c : std::wstring(L"/:*?\"<>|%\t")) forbidden += c;
    names.push_back(forbidden);
    names.push_back(std::wstring(79, L':'));
    return names;
}

bool Isdevice(std::wstring file)
{
    std::wstring base = file.substr(0, file.find(L'.'));
    while (!base.empty() && (base.back() == L' ' || base.back() == L'.')) base.pop_back();
    for (wchar_t& c : base) c = wchar_t(std::towupper(c));
    static const std::set<std::wstring> devices = {L"CON",  L"PRN",  L"AUX",  L"NUL",  L"COM0", L"COM1", L"COM2",
                                                   L"COM3", L"COM4", L"COM5", L"COM6", L"COM7", L"COM8", L"COM9",
                                                   L"LPT0", L"LPT1", L"LPT2", L"LPT3", L"LPT4", L"LPT5", L"LPT6",
                                                   L"LPT7", L"LPT8", L"LPT9"};
    return devices.count(base) > 0;
}

TEST_F(Listfiles, EveryHostileKeyNameMapsToItsOwnHarmlessFileName)
{
    std::vector<std::wstring> names = Hostilenames();
    names.push_back(L"back\\slash");  // no key can be named so, but the escape holds for it too
    std::set<std::wstring> seen;
    for (const std::wstring& name : names) {
        std::wstring escaped = Escapename(name);
        SCOPED_TRACE(testing::Message() << Toansi(escaped));
        EXPECT_EQ(escaped.find_first_of(L"\\/:*?\"<>|\t"), std::wstring::npos);
        EXPECT_FALSE(Isdevice(escaped + L"-0.dat"));
        EXPECT_NE(escaped.back(), L'.');
        EXPECT_NE(escaped.back(), L' ');
        std::wstring folded = escaped;
        for (wchar_t& c : folded) c = wchar_t(std::towupper(c));
        EXPECT_TRUE(seen.insert(folded).second) << "shares its file with another name";
    }
    // Names the code page carries keep their file names.
    EXPECT_EQ(Escapename(L"サウンド"), L"サウンド");
    EXPECT_EQ(Escapename(L".Default"), L".Default");
}

TEST_F(Listfiles, HostileKeysTouchOnlyTheirOwnKeysAndFiles)
{
    std::vector<std::wstring> created;
    for (const std::wstring& name : Hostilenames()) {
        // A name of 80 bytes or more ends the listing (a test of its own): the rest would go unseen.
        if (Toansi(name).size() >= 80) continue;
        Putkey(root + name + L"\\E");
        Putvalue(root + name + L"\\E\\.Current", L"", L"before.wav");
        created.push_back(name);
    }
    Putkey(root + L"Victim\\Open");
    Buildtable();
    // In the table: every name the code page spells exactly and that fits the name buffer, each
    // once, and nothing else.
    std::set<std::wstring> expected;
    for (const std::wstring& name : created)
        if (Fitsansi(name)) expected.insert(name);
    std::set<std::wstring> listed(apps[0].names.begin(), apps[0].names.end());
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(apps[0].names.size(), expected.size());
    // Every list is made, saved and read back as its own file, and a pass writes each event's own
    // .Current only.
    Loadalllists();
    for (int16_t app = 1; app <= Appcount(); ++app) {
        SCOPED_TRACE(testing::Message() << Toansi(apps[0].names[size_t(app - 1)]));
        int16_t event = apps[size_t(app)].names[0] == L"E" ? 0 : 1;
        std::wstring sound = folder.Sound(L"own" + std::to_wstring(app) + L".wav");
        ASSERT_TRUE(Savedata(app, event, {sound}));
        std::wstring file = Listfilename(app, event);
        EXPECT_EQ(file.rfind(folder.path() + L"\\", 0), 0u);
        EXPECT_EQ(Readbytes(file), Toansi(sound) + "\r\n");
    }
    Changepass();
    for (int16_t app = 1; app <= Appcount(); ++app) {
        int16_t event = apps[size_t(app)].names[0] == L"E" ? 0 : 1;
        EXPECT_EQ(Getregstr(HKEY_CURRENT_USER, Currentkey(app, event), L""), folder.File(L"own" + std::to_wstring(app) + L".wav"));
    }
    EXPECT_FALSE(Keyexists(root + L"Victim\\Open\\.Current"));
    EXPECT_EQ(Enumregkeys(HKEY_CURRENT_USER, root + L"Victim"), 1) << "Victim keeps its own two events";
}

TEST_F(Listfiles, OnlyLeftoverTemporaryFilesOfASaveAreRemoved)
{
    const std::vector<std::wstring> ours = {L"kvx1A2B.tmp", L"kvxffff.tmp", L"KVX3.TMP"};
    const std::vector<std::wstring> others = {L"kvxZZ.tmp",   L"kvx12345.tmp", L"mykvx1.tmp", L"kvx1A.tmpx",
                                              L"kvx.tmp",     L"App-0.dat",    L"kvx2.tmp"};
    for (const auto& name : ours) Writebytes(folder.File(name), "x");
    for (const auto& name : others) Writebytes(folder.File(name), "user's");
    // A save in progress holds its temporary file open.
    Kernelhandle held = Ownfile(CreateFileW(folder.File(L"kvx2.tmp").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                            0, nullptr));
    EXPECT_EQ(Removeleftovers(), 3);
    held.reset();
    for (const auto& name : ours) EXPECT_FALSE(Fileexists(folder.File(name))) << Toansi(name);
    for (const auto& name : others) EXPECT_TRUE(Fileexists(folder.File(name))) << Toansi(name);
}

TEST_F(Listfiles, FolderThatCannotBeWrittenKeepsOldFileAndCount)
{
    Tree({{L"App", 1}});
    ASSERT_TRUE(Savedata(1, 0, {L"keep.wav"}));
    listfolder = folder.File(L"missing-folder");
    Tree({{L"App", 1}});
    // Load: neither readable nor creatable, so an empty list; nothing ends the program.
    Loaddata(1, 0);
    EXPECT_EQ(Count(1, 0), L"0");
    EXPECT_FALSE(Savedata(1, 0, {L"new.wav"}));
    EXPECT_FALSE(Savedata(1, 0, {}));
    EXPECT_EQ(Count(1, 0), L"0");
    EXPECT_EQ(Readbytes(folder.File(L"App-0.dat")), "keep.wav\r\n");
}

TEST_F(Listfiles, FailedSaveKeepsTheListFileAndItsCount)
{
    Tree({{L"App", 1}});
    ASSERT_TRUE(Savedata(1, 0, {L"keep.wav"}));
    {
        // Another program reads the file and does not let it be replaced meanwhile.
        Kernelhandle reader = Ownfile(CreateFileW(folder.File(L"App-0.dat").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                  nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(reader);
        EXPECT_FALSE(Savedata(1, 0, {L"a.wav", L"b.wav"}));
    }
    EXPECT_EQ(Readbytes(folder.File(L"App-0.dat")), "keep.wav\r\n");
    EXPECT_EQ(Count(1, 0), L"1");
    EXPECT_EQ(Shown(1, 0), (std::vector<std::wstring>{L"keep.wav"}));
    EXPECT_EQ(Filesin(folder.path()).size(), 1u);  // no temporary file left behind
}

TEST_F(Listfiles, UnreadableFileIsNeverReplaced)
{
    Tree({{L"App", 1}});
    Writebytes(folder.File(L"App-0.dat"), "held1.wav\r\nheld2.wav\r\n");
    {
        // Another program holds the file open without sharing while Kvx loads it.
        Kernelhandle lock = Ownfile(CreateFileW(folder.File(L"App-0.dat").c_str(), GENERIC_READ, 0, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(lock);
        Loaddata(1, 0);
    }
    EXPECT_EQ(Count(1, 0), L"0") << "the program holds no entries for it";
    EXPECT_FALSE(soundlists.Readable(1, 0));
    EXPECT_TRUE(Savedata(1, 0, {})) << "nothing to store";
    EXPECT_FALSE(Savedata(1, 0, {L"new.wav"})) << "would drop the entries it holds";
    EXPECT_EQ(Readbytes(folder.File(L"App-0.dat")), "held1.wav\r\nheld2.wav\r\n");
    // Once it can be read again, it is an ordinary list.
    Loaddata(1, 0);
    EXPECT_EQ(Shown(1, 0), (std::vector<std::wstring>{L"held1.wav", L"held2.wav"}));
    EXPECT_TRUE(Savedata(1, 0, {L"new.wav"}));
}

TEST_F(Listfiles, EventNumbersAboveNineCarryAllDigits)
{
    Tree({{L"Sample", 11}});
    ASSERT_TRUE(Savedata(1, 10, {L"ten.wav"}));
    EXPECT_EQ(Readbytes(folder.File(L"Sample-10.dat")), "ten.wav\r\n");
    EXPECT_EQ(Getsetting(L"listcountSample-10", L""), L"1");
}

TEST_F(Listfiles, MoreApplicationsThanIndexesHoldStopAtTheLimit)
{
    // The same cut as for a key with more subkeys than a 16-bit index counts, on a small tree:
    // the table keeps what its indexes reach, and nothing past them gets a list.
    Tree({{L"A", 1}, {L"B", 1}, {L"C", 1}, {L"D", 1}});
    Loadkeys(0, appsroot, 1);
    for (int16_t i = 1; i <= Appcount(); ++i) Loadkeys(i, apps[0].path + apps[0].names[size_t(i - 1)]);
    soundlists.Create(Appcount());
    EXPECT_EQ(Appcount(), 2);
    EXPECT_EQ(apps.size(), 3u);
    Loadalllists();
    std::vector<std::wstring> files = Filesin(folder.path());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::wstring>{L"A-0.dat", L"B-0.dat"}));
}

TEST_F(Listfiles, LastApplicationWithMostEventsHasRoomForAll)
{
    Tree({{L"A", 1}, {L"Z", 30}});
    EXPECT_EQ(maxevent, 29);
    ASSERT_TRUE(Savedata(2, 29, {L"last.wav"}));
    EXPECT_EQ(soundlists.Get(2, 29, 0), L"last.wav");
    EXPECT_FALSE(Savedata(1, 1, {L"nope.wav"}));  // event 1 of A does not exist
    EXPECT_FALSE(Fileexists(folder.File(L"A-1.dat")));
}

TEST(Counts, StoredCountsOutsideTheRangeReadAsZero)
{
    Scratchregistry scratch;
    Putkey(root + L"App\\E0");
    Buildtable();
    for (auto [stored, count] : std::vector<std::pair<std::wstring, int16_t>>{
             {L"0", 0}, {L"7", 7}, {L"101", 101}, {L"102", 0}, {L"-1", 0}, {L"abc", 0}, {L"", 0}, {L"99999", 0}}) {
        Savesetting(L"listcountApp-0", stored);
        EXPECT_EQ(Readcount(1, 0), count) << Toansi(stored);
    }
}

TEST(Settings, SixteenBitIntegersAndDefaults)
{
    struct Case {
        std::wstring text;
        std::optional<int16_t> value;
    };
    for (const Case& c : std::vector<Case>{{L"0", 0},
                                           {L"5", 5},
                                           {L" -12 ", -12},
                                           {L"+3", 3},
                                           {L"32767", 32767},
                                           {L"-32768", -32768},
                                           {L"32768", std::nullopt},
                                           {L"-32769", std::nullopt},
                                           {L"1.5", std::nullopt},
                                           {L"", std::nullopt},
                                           {L"-", std::nullopt},
                                           {L"ten", std::nullopt},
                                           {L"1 2", std::nullopt}})
        EXPECT_EQ(Parseint16(c.text), c.value) << Toansi(c.text);

    Scratchregistry scratch;
    apps.clear();
    Loadkeys(0, appsroot);
    EXPECT_TRUE(Loadsettings());
    EXPECT_EQ(defdir, L"");
    EXPECT_EQ(cinterval, 1);
    EXPECT_EQ(optval1, 0);
    Savesetting(L"defdir", L"D:\\音");
    Savesetting(L"cinterval", L"0");
    Savesetting(L"optval1", L"junk");
    EXPECT_FALSE(Loadsettings());
    EXPECT_EQ(defdir, L"D:\\音");
    EXPECT_EQ(optval1, 0);
    Savesetting(L"cinterval", L"70000");
    EXPECT_TRUE(Loadsettings());
    EXPECT_EQ(cinterval, 1);
    EXPECT_EQ(Getregstr(HKEY_CURRENT_USER, L"Software\\Kvx\\setting", L"defdir"), L"D:\\音");
}

}
