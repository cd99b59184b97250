// Sound sets: a round trip from one tree to another, with files and with folders, the set file's
// two first lines, sets that are not sets, and an export cut short.
#include "folders.h"
#include "keylist.h"
#include "listfiles.h"
#include "originals.h"
#include "registry.h"
#include "schemetable.h"
#include "scratch.h"
#include "setfile.h"
#include "settings.h"
#include "soundfolders.h"
#include "soundsets.h"
#include "commands.h"
#include "text.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace {

using Rowlist = std::vector<std::wstring>;
const std::wstring root = std::wstring(appsroot) + L"\\";

// A tree of applications and events; lists by (application, event number).
void Puttree(const std::vector<std::pair<std::wstring, Rowlist>>& apps)
{
    for (const auto& [app, events] : apps)
        for (const std::wstring& event : events) Putkey(root + app + L"\\" + event);
}

void Loadtable(const std::wstring& folder)
{
    listfolder = folder;
    Buildtable();
    Loadoriginals();
    Loadalllists();
}

std::string Sound(int samples, char tone)
{
    std::string bytes = Wavebytes(samples);
    std::fill(bytes.begin() + 44, bytes.end(), tone);
    return bytes;
}

TEST(Soundsets, ARoundTripGivesTheSameEventsTheSameSoundsWhateverTheirNames)
{
    Scratchfolder here, sets;
    setsfolder = sets.File(L"imported");
    std::map<std::wstring, std::string> bytes = {
        {L"音\\チャイム.wav", Sound(40, 'a')},   {L"Beyoncé 효과음\\Café.wav", Sound(50, 'b')},
        {L"a\\ding.wav", Sound(60, 'c')},        {L"b\\ding.wav", Sound(70, 'd')},
        {L"text.wav", "not a sound at all"},
    };
    for (const auto& [name, content] : bytes) {
        Createfolders(Parentfolder(here.File(name)));
        Writebytes(here.File(name), content);
    }
    auto at = [&](const wchar_t* name) { return here.File(name); };
    std::wstring setfolder = sets.File(L"私のセット");
    {
        Scratchregistry scratch;
        Puttree({{L".Default", {L".Default", L"Open"}}, {L"Explorer", {L"Navigating"}}});
        Loadtable(here.path());
        // The same file in two lists; two files of one name; a missing and an unplayable file.
        ASSERT_TRUE(Savedata(1, 0, {at(L"音\\チャイム.wav"), at(L"a\\ding.wav"), at(L"b\\ding.wav"), at(L"gone.wav")}));
        ASSERT_TRUE(Savedata(1, 1, {at(L"Beyoncé 효과음\\Café.wav"), at(L"A\\DING.WAV")}));
        ASSERT_TRUE(Savedata(2, 0, {at(L"b\\ding.wav"), at(L"text.wav")}));
        int reported = 0;
        Exportresult result = Exportset(setfolder, L"私のセット", [&](int done, int total) {
            EXPECT_EQ(done, ++reported);
            EXPECT_EQ(total, 4);
        });
        ASSERT_TRUE(result.done) << Toansi(result.why);
        EXPECT_EQ(result.written, 4) << "each file once";
        EXPECT_EQ(result.leftout, 2) << "the missing and the unplayable file";
        EXPECT_EQ(Foldernames(sets.path()), Rowlist{L"私のセット"}) << "nothing left beside it";
        for (const wchar_t* copy : {L".Default\\.Default\\チャイム.wav", L".Default\\.Default\\ding.wav",
                                    L".Default\\.Default\\ding (2).wav", L".Default\\Open\\Café.wav"})
            EXPECT_TRUE(Fileexists(setfolder + L"\\" + copy)) << Toansi(copy);
        EXPECT_EQ(Readbytes(setfolder + L"\\" + setfilename).substr(0, 18), "\xEF\xBB\xBFKvx sound set 1");
    }

    // Another PC: the same applications, Explorer without Navigating, lists of its own.
    Scratchfolder there;
    Scratchregistry scratch;
    Puttree({{L".default", {L".Default", L"open"}}, {L"Explorer", {L"Close"}}});
    Writebytes(there.File(L"mine.wav"), Sound(30, 'z'));
    Writebytes(there.File(L".default-0.dat"), Toansi(there.File(L"mine.wav")) + "\r\n");
    Loadtable(there.path());
    Setread read = Readset(setfolder);
    ASSERT_TRUE(read.set) << Toansi(read.fault);
    EXPECT_EQ(read.set->name, L"私のセット");
    Importplan plan = Planimport(*read.set, setfolder);
    EXPECT_EQ(plan.events.size(), 2u);
    EXPECT_EQ(plan.sounds, 5);
    EXPECT_EQ(plan.lacking, Rowlist{L"Explorer\\Navigating"});
    Importresult result = Importset(*read.set, setfolder, plan);
    ASSERT_TRUE(result.done) << Toansi(result.why);
    EXPECT_EQ(result.added, 5);
    EXPECT_EQ(Parentfolder(result.copiedto), setsfolder);
    auto heard = [](const Rowlist& rows) {
        std::vector<std::string> sounds;
        for (const std::wstring& row : rows) sounds.push_back(Readbytes(row));
        return sounds;
    };
    Loadtable(there.path());
    Rowlist first = Savedsounds(1, 0), second = Savedsounds(1, 1);
    ASSERT_EQ(first.size(), 4u);
    EXPECT_EQ(first[0], there.File(L"mine.wav")) << "nothing of the user's list goes";
    EXPECT_EQ(heard(Rowlist(first.begin() + 1, first.end())),
              (std::vector<std::string>{bytes[L"音\\チャイム.wav"], bytes[L"a\\ding.wav"], bytes[L"b\\ding.wav"]}));
    EXPECT_EQ(heard(second), (std::vector<std::string>{bytes[L"Beyoncé 효과음\\Café.wav"], bytes[L"a\\ding.wav"]}));
    for (const std::wstring& row : first) EXPECT_TRUE(row.starts_with(result.copiedto) || row == there.File(L"mine.wav"));

    // The same set again: everything is there already, so nothing is copied or changed.
    std::string before = Readbytes(there.File(L".default-0.dat"));
    Importplan again = Planimport(*read.set, setfolder);
    EXPECT_EQ(again.sounds, 0);
    EXPECT_EQ(again.duplicates, 5);
    EXPECT_TRUE(Importset(*read.set, setfolder, again).done);
    EXPECT_EQ(Foldernames(setsfolder).size(), 1u);
    EXPECT_EQ(Readbytes(there.File(L".default-0.dat")), before);
}

TEST(Soundsets, AListedFolderGoesOutWithTheSoundsItHoldsAndComesBackAsAFolderOfTheList)
{
    Scratchfolder here, sets, there;
    setsfolder = sets.File(L"imported");
    // Beside sounds that play or convert, the first folder holds what goes nowhere.
    for (const wchar_t* name : {L"a\\チャイム\\sub", L"b\\チャイム", L"空"}) Createfolders(here.File(name));
    for (const wchar_t* name : {L"a\\チャイム\\1.wav", L"a\\チャイム\\sub\\3.wav", L"b\\チャイム\\1.wav"}) here.Sound(name);
    for (const wchar_t* name : {L"a\\チャイム\\2.mp3", L"a\\チャイム\\text.wav", L"a\\チャイム\\readme.txt", L"空\\readme.txt"})
        Writebytes(here.File(name), "no wave");
    std::wstring setfolder = sets.File(L"セット");
    {
        Scratchregistry scratch;
        Puttree({{L".Default", {L".Default", L"Open"}}});
        Loadtable(here.path());
        // Two folders of one name, an empty and a missing one, a file also inside a folder; the
        // second list names the first folder as well.
        ASSERT_TRUE(Savedata(1, 0, {Folderentry(here.File(L"a\\チャイム")), Folderentry(here.File(L"b\\チャイム")),
                                    Folderentry(here.File(L"空")), Folderentry(here.File(L"gone")),
                                    here.File(L"a\\チャイム\\1.wav")}));
        ASSERT_TRUE(Savedata(1, 1, {Folderentry(here.File(L"A\\チャイム"))}));
        Exportresult result = Exportset(setfolder, L"セット");
        ASSERT_TRUE(result.done) << Toansi(result.why);
        EXPECT_EQ(result.written, 4);
        EXPECT_EQ(result.leftout, 2) << "the empty and the missing folder";
        const std::wstring event = setfolder + L"\\.Default\\.Default\\";
        EXPECT_EQ(Foldernames(event).size(), 3u) << "1.wav, チャイム and チャイム (2)";
        EXPECT_EQ(Foldernames(event + L"チャイム").size(), 2u) << "nothing else, nothing below";
        EXPECT_EQ(Listfolder(event + L"チャイム\\")->names, (Rowlist{L"1.wav", L"2.mp3"}));
        EXPECT_TRUE(Readbytes(setfolder + L"\\" + setfilename).starts_with("\xEF\xBB\xBFKvx sound set 2\r\n"));
    }

    Scratchregistry scratch;
    Puttree({{L".default", {L".Default", L"open"}}});
    Loadtable(there.path());
    Setread read = Readset(setfolder);
    ASSERT_TRUE(read.set) << Toansi(read.fault);
    Importplan plan = Planimport(*read.set, setfolder);
    EXPECT_EQ(plan.sounds, 4);
    EXPECT_EQ(plan.folders, 3);
    // A list that cannot be saved takes the copied folders away with the rest.
    Kernelhandle held = Ownfile(CreateFileW(there.File(L".default-1.dat").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(Importset(*read.set, setfolder, plan).done);
    EXPECT_TRUE(Foldernames(setsfolder).empty());
    held.reset();
    Importresult result = Importset(*read.set, setfolder, plan);
    ASSERT_TRUE(result.done) << Toansi(result.why);
    Loadtable(there.path());
    const std::wstring copied = result.copiedto + L"\\.Default\\.Default\\";
    EXPECT_EQ(Savedsounds(1, 0), (Rowlist{copied + L"チャイム\\", copied + L"チャイム (2)\\", copied + L"1.wav"}));
    EXPECT_EQ(Savedsounds(1, 1), Rowlist{copied + L"チャイム\\"});
    EXPECT_EQ(Listfolder(copied + L"チャイム\\")->names, (Rowlist{L"1.wav", L"2.mp3"}));
    // Again: the folders the lists name now hold the same sounds.
    EXPECT_EQ(Planimport(*read.set, setfolder).duplicates, 4);
}

TEST(Soundsets, ASetOfFilesIsWrittenAsBeforeAndOneWithFoldersBeginsWithALineOfItsOwn)
{
    Soundset set{L"x", L"1.4", {{L"App", L"Open", L"label", {L"App\\Open\\a.wav"}}}, {}};
    const std::string files =
        "\xEF\xBB\xBFKvx sound set 1\r\nname\tx\r\nversion\t1.4\r\nevent\tApp\tOpen\tlabel\r\nsound\tApp\\Open\\a.wav\r\n";
    EXPECT_EQ(Setfilebytes(set), files);
    set.events[0].sounds.push_back(L"App\\Open\\f\\");
    EXPECT_EQ(Setfilebytes(set), "\xEF\xBB\xBFKvx sound set 2" + files.substr(18) + "folder\tApp\\Open\\f\r\n");
}

TEST(Soundsets, AFolderThatIsNoSetIsRefusedWithNothingCopiedOrChanged)
{
    Scratchfolder lists, sets, candidates;
    setsfolder = sets.File(L"imported");
    Scratchregistry scratch;
    Puttree({{L"App", {L"Open"}}});
    Writebytes(lists.File(L"App-0.dat"), "keep.wav\r\n");
    Loadtable(lists.path());
    const std::string good = Wavebytes(16);
    const std::string header = "\xEF\xBB\xBFKvx sound set 1\r\nname\tx\r\nevent\tApp\tOpen\tlabel\r\n";
    const std::string folders = "\xEF\xBB\xBFKvx sound set 2\r\nname\tx\r\nevent\tApp\tOpen\tlabel\r\n";
    auto unplayable = [](const std::wstring& folder) { Writebytes(folder + L"\\App\\Open\\text.wav", "text"); };
    std::string many = header;
    for (int k = 0; k < 102; ++k) many += "sound\tApp\\Open\\s.wav\r\n";
    struct Case {
        const char* name;
        std::string setfile;  // "" for none
        std::function<void(const std::wstring& folder)> more;
    };
    const std::vector<Case> cases = {
        {"no kvxset.txt", "", {}},
        {"another kind of file", "\xEF\xBB\xBFname\tx\r\n", {}},
        {"a line that does not parse", header + "sound\tApp\\Open\\s.wav\r\nvolume\t11\r\n", {}},
        {"a sound before any event", "\xEF\xBB\xBFKvx sound set 1\r\nsound\ts.wav\r\n", {}},
        {"a bad escape", header + "sound\tApp\\Open\\%G1.wav\r\n", {}},
        {"bytes that are not UTF-8", header + "sound\t\xFF\xFE.wav\r\n", {}},
        {"a path out of the folder with ..", header + "sound\t..\\outside.wav\r\n", {}},
        {"a path out of the folder deeper down", header + "sound\tApp\\..\\..\\outside.wav\r\n", {}},
        {"dots and a blank, which Windows makes ..", header + "sound\tApp\\.. \\..\\x.wav\r\n", {}},
        {"an absolute path", header + "sound\tC:\\Windows\\Media\\chimes.wav\r\n", {}},
        {"a path from the root", header + "sound\t\\Windows\\x.wav\r\n", {}},
        {"a network path", header + "sound\t\\\\server\\share\\x.wav\r\n", {}},
        {"a stream of a file", header + "sound\tApp\\Open\\s.wav:hidden\r\n", {}},
        {"a device", header + "sound\tApp\\CON.wav\r\n", {}},
        {"a sound that is not there", header + "sound\tApp\\Open\\gone.wav\r\n", {}},
        {"a sound that cannot play", header + "sound\tApp\\Open\\text.wav\r\n", unplayable},
        {"a folder in a set of files only", header + "folder\tApp\\Open\r\n", {}},
        {"a sound line naming a folder", folders + "sound\tApp\\Open\\\r\n", {}},
        {"a folder out of the set with ..", folders + "folder\tApp\\..\\..\r\n", {}},
        {"an absolute folder", folders + "folder\tC:\\Windows\r\n", {}},
        {"a file where a folder is named", folders + "folder\tApp\\Open\\s.wav\r\n", {}},
        {"a folder holding a sound that cannot play", folders + "folder\tApp\\Open\r\n", unplayable},
        {"more than 101 sounds for an event", many, {}},
        {"a file bigger than a sound file could be", header + "sound\tApp\\Open\\huge.wav\r\n",
         [&good](const std::wstring& folder) {
             std::wstring huge = folder + L"\\App\\Open\\huge.wav";
             Writebytes(huge, good);
             Kernelhandle file = Ownfile(CreateFileW(huge.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
             LARGE_INTEGER size{};
             size.QuadPart = 0x100000000ll + 9;
             SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN);
             SetEndOfFile(file.get());
         }},
    };
    const std::string listbefore = Readbytes(lists.File(L"App-0.dat"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::wstring folder = candidates.File(std::to_wstring(&c - cases.data()));
        Createfolders(folder + L"\\App\\Open");
        Writebytes(folder + L"\\App\\Open\\s.wav", good);
        if (!c.setfile.empty()) Writebytes(folder + L"\\" + setfilename, c.setfile);
        if (c.more) c.more(folder);
        Setread read = Readset(folder);
        EXPECT_FALSE(read.set.has_value());
        EXPECT_FALSE(read.fault.empty()) << "the user is told why";
        EXPECT_EQ(Runswitch({Switch::importset, folder, {}}), exitfailed);
        EXPECT_FALSE(Fileexists(setsfolder)) << "nothing copied";
        EXPECT_EQ(Readbytes(lists.File(L"App-0.dat")), listbefore) << "no list changed";
        EXPECT_EQ(Savedsounds(1, 0), Rowlist{L"keep.wav"});
    }
    // The same folder with a set that is one is taken.
    std::wstring folder = candidates.File(L"0");
    Writebytes(folder + L"\\" + setfilename, header + "sound\tApp/Open/s.wav\r\n");
    EXPECT_EQ(Runswitch({Switch::importset, folder, {}}), exitdone);
    EXPECT_EQ(Savedsounds(1, 0).size(), 2u);
}

TEST(Soundsets, AnImportThatCannotSaveAListPutsEveryListBack)
{
    Scratchfolder here, sets, set;
    setsfolder = sets.File(L"imported");
    Scratchregistry scratch;
    Puttree({{L"App", {L"Close", L"Open"}}});
    Writebytes(here.File(L"App-0.dat"), "");
    Writebytes(here.File(L"App-1.dat"), "");
    Loadtable(here.path());
    Createfolders(set.File(L"App"));
    Writebytes(set.File(L"App\\one.wav"), Sound(20, 'o'));
    Writebytes(set.File(L"App\\소리.wav"), Sound(30, 's'));
    Writebytes(set.File(setfilename), "\xEF\xBB\xBFKvx sound set 1\r\nevent\tApp\tClose\t\r\nsound\tApp\\one.wav\r\n"
                                      "event\tApp\tOpen\t\r\nsound\tApp\\" + std::string("\xEC\x86\x8C\xEB\xA6\xAC") + ".wav\r\n");
    Setread read = Readset(set.path());
    ASSERT_TRUE(read.set) << Toansi(read.fault);
    Importplan plan = Planimport(*read.set, set.path());
    ASSERT_EQ(plan.sounds, 2);
    // Another program holds the second list file: it cannot be replaced.
    Kernelhandle held = Ownfile(CreateFileW(here.File(L"App-1.dat").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    Importresult result = Importset(*read.set, set.path(), plan);
    held.reset();
    EXPECT_FALSE(result.done);
    EXPECT_NE(result.why.find(L"元のまま"), std::wstring::npos) << Toansi(result.why);
    EXPECT_EQ(Readbytes(here.File(L"App-0.dat")), "") << "the list saved first is put back, in its own form";
    EXPECT_EQ(Savedsounds(1, 0), Rowlist{});
    EXPECT_EQ(Getsetting(L"listcountApp-0", L""), L"0");
    EXPECT_TRUE(Foldernames(setsfolder).empty()) << "no copies left that no list names";
}

TEST(Soundsets, AnExportCutShortLeavesNoFolder)
{
    Scratchfolder here, sets;
    Scratchregistry scratch;
    Puttree({{L"App", {L"Open"}}});
    Rowlist sounds;
    for (int k = 0; k < 5; ++k) sounds.push_back(here.Sound(L"s" + std::to_wstring(k) + L".wav"));
    Loadtable(here.path());
    ASSERT_TRUE(Savedata(1, 0, sounds));
    const std::wstring target = sets.File(L"set");
    // Half-way, the folder being built goes away, or the target is taken by another file.
    const std::vector<std::pair<const char*, std::function<void()>>> faults = {
        {"the folder being built is gone",
         [&] {
             for (const std::wstring& name : Foldernames(sets.path())) Removetree(sets.File(name));
         }},
        {"the target is taken", [&] { Writebytes(target, "taken"); }},
    };
    for (const auto& [name, fault] : faults) {
        SCOPED_TRACE(name);
        Removetree(target);
        DeleteFileW(target.c_str());
        Exportresult result = Exportset(target, L"set", [&](int done, int) {
            if (done == 2) fault();
        });
        EXPECT_FALSE(result.done);
        EXPECT_FALSE(result.why.empty());
        Rowlist left = Foldernames(sets.path());
        EXPECT_TRUE(left.empty() || (left == Rowlist{L"set"} && !Isfolder(target))) << "no half set, no building left";
    }
}

}
