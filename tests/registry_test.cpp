#include "registry.h"
#include "scratch.h"
#include "systemlibrary.h"
#include "text.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class Registry : public ::testing::Test {
protected:
    Scratchregistry scratch;
};

TEST(Ansicodepage, IsShiftJis)
{
    // The whole suite relies on running as a Japanese system does.
    EXPECT_EQ(GetACP(), 932u);
    EXPECT_EQ(Toansi(L"ｻｳﾝﾄﾞ音"), std::string("\xBB\xB3\xDD\xC4\xDE\x89\xB9"));
}

TEST_F(Registry, GetregstrReadsBoundaryLengths)
{
    struct Case {
        size_t bytes;
        bool whole;
    };
    for (Case c : {Case{0, true}, Case{1, true}, Case{1023, true}, Case{1024, false}, Case{3000, false}}) {
        std::wstring text(c.bytes, L'a');
        Putvalue(L"Len", L"v", text);
        EXPECT_EQ(Getregstr(HKEY_CURRENT_USER, L"Len", L"v"), c.whole ? text : L"") << c.bytes << " bytes";
    }
}

TEST_F(Registry, GetregstrGivesEmptyForWhatIsMissing)
{
    Putkey(L"Only\\Key");
    EXPECT_EQ(Getregstr(HKEY_CURRENT_USER, L"Only\\Key", L""), L"");
    EXPECT_EQ(Getregstr(HKEY_CURRENT_USER, L"Only\\Key", L"nothing"), L"");
    EXPECT_EQ(Getregstr(HKEY_CURRENT_USER, L"No\\Such\\Key", L""), L"");
}

TEST_F(Registry, ShiftJisTextRoundTrips)
{
    const std::wstring text = L"C:\\サウンド\\ﾁｬｲﾑ 音①, 表.wav";
    Putvalue(L"Jp", L"", text);
    EXPECT_EQ(Getregstr(HKEY_CURRENT_USER, L"Jp", L""), text);
    ASSERT_TRUE(Setregstr(HKEY_CURRENT_USER, L"Jp\\音", L"名前", text));
    EXPECT_EQ(Getregstr(HKEY_CURRENT_USER, L"Jp\\音", L"名前"), text);
    EXPECT_EQ(Rawvalue(L"Jp\\音", L"名前"), Toansi(text) + std::string(1, '\0'));
}

TEST_F(Registry, SetregstrCreatesMissingLevelsAndStoresOneTerminator)
{
    ASSERT_TRUE(Setregstr(HKEY_CURRENT_USER, L"A\\B\\C\\.Current", L"", L"x.wav"));
    DWORD type = 0;
    EXPECT_EQ(Rawvalue(L"A\\B\\C\\.Current", L"", &type), std::string("x.wav\0", 6));
    EXPECT_EQ(type, DWORD(REG_SZ));
    ASSERT_TRUE(Setregstr(HKEY_CURRENT_USER, L"A\\B", L"empty", L""));
    EXPECT_EQ(Rawvalue(L"A\\B", L"empty"), std::string(1, '\0'));
}

TEST_F(Registry, AStringWithoutItsNulIsStoredExactlyWhateverFollowsItsBytes)
{
    // "x.wav" without its NUL, and a count that ends inside a character: the system would add a
    // NUL to either when a NUL follows the given bytes, as here, in the string's spare room.
    for (const std::string& text : {std::string("x\0.\0w\0a\0v\0", 10), std::string("x\0.\0w\0a\0\0", 9)}) {
        Regdata value{REG_SZ, std::string(text.size() + 16, '\0')};
        value.bytes.resize(text.size());
        ASSERT_GE(value.bytes.capacity(), text.size() + 16) << "the room after the bytes, all NUL, stays";
        std::copy(text.begin(), text.end(), value.bytes.begin());
        Regkey key = Openforupdate(HKEY_CURRENT_USER, L"Exact", true);
        ASSERT_TRUE(Writeregdata(key.get(), L"v", value));
        std::optional<Regdata> stored = Queryregexact(key.get(), L"v");
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(stored->type, DWORD(REG_SZ));
        EXPECT_EQ(stored->bytes, text) << text.size() << " bytes";
    }
}

TEST_F(Registry, QuerystoredReadsAValueAsStoredInOneGo)
{
    Regkey key = Openforupdate(HKEY_CURRENT_USER, L"Stored", true);
    const std::string longtext(60000, 'a');
    for (const Regdata& value : {Regdata{REG_SZ, std::string("x\0.\0w\0a\0v\0", 10)},
                                 Regdata{REG_SZ, std::string("x\0.\0w\0a\0\0", 9)}, Stringdata(L"C:\\a.wav"),
                                 Regdata{REG_DWORD, std::string("\x2A\0\0\0", 4)}, Regdata{REG_BINARY, longtext}}) {
        ASSERT_TRUE(Writeregdata(key.get(), L"v", value));
        std::optional<Regdata> stored = Querystored(key.get(), L"v");
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(stored->type, value.type);
        EXPECT_EQ(stored->bytes, value.bytes) << value.bytes.size() << " bytes";
    }
    std::optional<Regdata> missing = Querystored(key.get(), L"missing");
    ASSERT_TRUE(missing.has_value());
    EXPECT_EQ(missing->bytes, Stringdata(L"").bytes) << "a missing value reads as the empty text";
}

TEST_F(Registry, EnumregkeysListsInOrderAndShrinksKeynames)
{
    keynames = {L"old0", L"old1", L"old2", L"old3", L"old4"};
    for (const wchar_t* name : {L"Apps\\one", L"Apps\\two", L"Apps\\三"}) Putkey(name);
    ASSERT_EQ(Enumregkeys(HKEY_CURRENT_USER, L"Apps"), 2);
    ASSERT_EQ(keynames.size(), 3u);
    std::vector<std::wstring> sorted = keynames;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::wstring>{L"one", L"two", L"三"}));
}

TEST_F(Registry, EnumregkeysKeepsKeynamesWhenNothingIsListed)
{
    Putkey(L"Apps\\one");
    ASSERT_EQ(Enumregkeys(HKEY_CURRENT_USER, L"Apps"), 0);
    Putkey(L"Empty");
    EXPECT_EQ(Enumregkeys(HKEY_CURRENT_USER, L"Empty"), -1);
    EXPECT_EQ(Enumregkeys(HKEY_CURRENT_USER, L"Missing\\Key"), -1);
    EXPECT_EQ(keynames, (std::vector<std::wstring>{L"one"}));
}

TEST_F(Registry, EnumregkeysStopsAtANameThatDoesNotFitTheBuffer)
{
    // Keys enumerate in name order here: "a" first, then the long name, then "z".
    Putkey(L"Long\\a");
    Putkey(L"Long\\b" + std::wstring(79, L'x'));
    Putkey(L"Long\\z");
    EXPECT_EQ(Enumregkeys(HKEY_CURRENT_USER, L"Long"), 0);
    EXPECT_EQ(keynames, (std::vector<std::wstring>{L"a"}));
    // 79 bytes and its terminator fit exactly.
    Putkey(L"Fit\\" + std::wstring(79, L'y'));
    EXPECT_EQ(Enumregkeys(HKEY_CURRENT_USER, L"Fit"), 0);
    EXPECT_EQ(keynames[0], std::wstring(79, L'y'));
}

TEST_F(Registry, AKeyTheUserMayOnlyReadListsAndRefusesWrites)
{
    Putvalue(L"Apps\\one", L"v", L"old");
    Readonlykey lock(L"Apps");
    Readonlykey lockone(L"Apps\\one");
    EXPECT_EQ(Enumregkeys(HKEY_CURRENT_USER, L"Apps"), 0);
    EXPECT_EQ(keynames, (std::vector<std::wstring>{L"one"}));
    EXPECT_FALSE(Setregstr(HKEY_CURRENT_USER, L"Apps\\one", L"v", L"new"));
    EXPECT_EQ(Getregstr(HKEY_CURRENT_USER, L"Apps\\one", L"v"), L"old");
}

TEST(Cutnull, CutsAtTheFirstNul)
{
    EXPECT_EQ(Cutnull(std::wstring(L"abc\0def\0", 8)), L"abc");
    EXPECT_EQ(Cutnull(L"plain"), L"plain");
    EXPECT_EQ(Cutnull(L""), L"");
    EXPECT_EQ(Cutnull(std::wstring(L"\0x", 2)), L"");
}

// A library looked up late is the system's, even where a file of its name lies beside the
// program (where a user's downloads may put one): the program's own folder is never searched.
TEST(Systemlibrary, OnlyTheSystemFolderIsSearched)
{
    wchar_t self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    std::wstring beside(self);
    beside = beside.substr(0, beside.rfind(L'\\') + 1) + L"mfplat.dll";
    if (GetModuleHandleW(L"mfplat.dll")) GTEST_SKIP() << "loaded already: nothing would be looked for";
    // Written over one a run cut short may have left.
    Writebytes(beside, "MZ not a library");
    ASSERT_NE(GetFileAttributesW(beside.c_str()), INVALID_FILE_ATTRIBUTES);
    auto start = Systemfunction<HRESULT(WINAPI*)(ULONG, DWORD)>(L"mfplat.dll", "MFStartup");
    HMODULE loaded = GetModuleHandleW(L"mfplat.dll");
    wchar_t from[MAX_PATH] = L"";
    if (loaded) GetModuleFileNameW(loaded, from, MAX_PATH);
    DeleteFileW(beside.c_str());
    EXPECT_NE(start, nullptr);
    EXPECT_NE(Foldcase(from), Foldcase(beside));
    EXPECT_EQ(Systemfunction<void(WINAPI*)()>(L"kvx-no-such-library.dll", "Nothing"), nullptr);
}

}
