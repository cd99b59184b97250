#include "form1.h"
#include "form3.h"
#include "instance.h"
#include "kvxwindows.h"
#include "listfiles.h"
#include "pickers.h"
#include "player.h"
#include "registry.h"
#include "schemetable.h"
#include "settings.h"
#include "text.h"

#include <algorithm>
#include <functional>
#include <mutex>

namespace {
using namespace form1;
using Rowlist = std::vector<std::wstring>;

const std::wstring defaultcurrent = Currentpath(L".Default", L".Default");
const Rowlist defaultevents = {L"一般の警告音", L"プログラムを開く", L"システム エラー", L"Unlabelled"};

class Mainwindow : public Kvxwindows {
protected:
    void SetUp() override
    {
        Kvxwindows::SetUp();
        Puttree(folder);
    }
    void Addrow(const std::wstring& row) { SendMessageW(Item(List2), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str())); }
};

TEST_F(Mainwindow, StartupShowsApplicationOneHiddenWithItsIconAndCorrectedCounts)
{
    Start();
    EXPECT_EQ(Approws(), (Rowlist{L"Windows", L"空", L"エクスプローラー"}));
    EXPECT_EQ(SendMessageW(Item(Combo1), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(Rows(List1), defaultevents);
    EXPECT_EQ(SendMessageW(Item(List1), LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(Rows(List2), (Rowlist{L"a.wav", L"b.wav"}));
    EXPECT_EQ(Text(regbox1), L"一般の警告音");
    EXPECT_EQ(Text(regbox2), L"old.wav");
    EXPECT_EQ(curapp, 1);
    EXPECT_EQ(curevent, 0);
    EXPECT_FALSE(IsWindowVisible(Form1()));
    EXPECT_TRUE(Iconpresent());
    // Every event's list was loaded: counts follow the files, and missing files were created.
    EXPECT_EQ(Count(L"listcount.Default-0"), L"2");
    EXPECT_EQ(Count(L"listcount.Default-2"), L"3");
    EXPECT_EQ(Count(L"listcountExplorer-0"), L"0");
    EXPECT_EQ(Readbytes(folder.File(L"Explorer-0.dat")), "");
}

TEST_F(Mainwindow, StartupPassAndTimerFollowTheSettings)
{
    struct Case {
        const wchar_t* optval1;  // nullptr: not stored
        const wchar_t* cinterval;
        bool timer;
        bool changed;
    };
    for (const Case& c : {Case{nullptr, nullptr, true, false}, Case{L"0", L"0", false, false},
                          Case{L"1", L"5", true, true}, Case{L"1", L"0", false, true}}) {
        Putvalue(defaultcurrent, L"", L"old.wav");
        if (c.optval1) Savesetting(L"optval1", c.optval1);
        if (c.cinterval) Savesetting(L"cinterval", c.cinterval);
        Start();
        std::wstring current = Getregstr(HKEY_CURRENT_USER, defaultcurrent, L"");
        SCOPED_TRACE(testing::Message() << "optval1 " << (c.optval1 ? "stored" : "missing"));
        EXPECT_EQ(Stoptimer1(), c.timer);
        EXPECT_EQ(current != L"old.wav", c.changed);
        // The current-sound line shows the value after the start-up pass.
        EXPECT_EQ(Text(regbox2), current);
        Unloadform1();
        Pump();
    }
}

TEST_F(Mainwindow, ApplicationSwitchSavesTheListLeftAndShowsEventZeroFromTheTable)
{
    Start();
    Addrow(L"c.wav");
    // Written after start-up: a switch of application does not read list files.
    Writebytes(folder.File(L"Explorer-0.dat"), "disk.wav\r\n");
    Pickapp(2);
    EXPECT_EQ(Readbytes(folder.File(L".Default-0.dat")), "a.wav\r\nb.wav\r\nc.wav\r\n");
    EXPECT_EQ(Count(L"listcount.Default-0"), L"3");
    EXPECT_EQ(curapp, 3);
    EXPECT_EQ(curevent, 0);
    EXPECT_EQ(Rows(List1), (Rowlist{L"ごみ箱を空にする", L"ナビゲーションの開始"}));
    EXPECT_EQ(SendMessageW(Item(List1), LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(Rows(List2), Rowlist{});
    EXPECT_EQ(Text(regbox1), L"ごみ箱を空にする");
    EXPECT_EQ(Text(regbox2), L"");
    Pickapp(0);
    EXPECT_EQ(Rows(List2), (Rowlist{L"a.wav", L"b.wav", L"c.wav"}));
    EXPECT_EQ(Text(regbox2), L"old.wav");
}

TEST_F(Mainwindow, EventSwitchLeavesAnUneditedListAloneAndReadsTheNewOneFromItsFile)
{
    Start();
    Writebytes(folder.File(L".Default-0.dat"), "elsewhere.wav\r\n");
    Writebytes(folder.File(L".Default-1.dat"), "open.wav\r\n");
    Pickevent(1);
    // The list left was not edited: its file stays as it is.
    EXPECT_EQ(Readbytes(folder.File(L".Default-0.dat")), "elsewhere.wav\r\n");
    EXPECT_EQ(curevent, 1);
    EXPECT_EQ(Rows(List2), Rowlist{L"open.wav"});
    EXPECT_EQ(Count(L"listcount.Default-1"), L"1");
    EXPECT_EQ(Text(regbox1), L"プログラムを開く");
    Pickevent(3);
    EXPECT_EQ(Text(regbox1), L"Unlabelled");
    EXPECT_EQ(Rows(List2), Rowlist{});
}

TEST_F(Mainwindow, EveryUnloadPathSavesTheShownListRemovesTheIconAndEndsTheProgram)
{
    struct Path {
        const char* name;
        std::function<void()> unload;
    };
    const std::vector<Path> paths = {
        {"Command4", [this] { Click(Command4); }},
        {"close box", [] { SendMessageW(Form1(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"menu 終了",
         [] {
             popupmenuhook = [](HMENU, POINT) { return UINT(form3::mend); };
             Rightclicktray();
         }},
        {"end of session",
         [] {
             EXPECT_TRUE(SendMessageW(Form1(), WM_QUERYENDSESSION, 0, 0));
             SendMessageW(Form1(), WM_ENDSESSION, TRUE, 0);
         }},
    };
    for (const Path& path : paths) {
        SCOPED_TRACE(path.name);
        Writebytes(folder.File(L".Default-0.dat"), "a.wav\r\n");
        Start();
        Addrow(L"z.wav");
        path.unload();
        EXPECT_TRUE(Pump());
        EXPECT_EQ(Form1(), nullptr);
        EXPECT_EQ(Readbytes(folder.File(L".Default-0.dat")), "a.wav\r\nz.wav\r\n");
        EXPECT_EQ(Count(L"listcount.Default-0"), L"2");
        EXPECT_FALSE(Iconpresent());
    }
}

TEST_F(Mainwindow, AnExitThatCannotSaveTellsTheUserAndStillEnds)
{
    struct Path {
        const char* name;
        std::function<void()> unload;
        bool told;  // at the end of the session no one is there to answer a message
    };
    const std::vector<Path> paths = {
        {"Command4", [this] { Click(Command4); }, true},
        {"end of session", [] { SendMessageW(Form1(), WM_ENDSESSION, TRUE, 0); }, false},
    };
    for (const Path& path : paths) {
        SCOPED_TRACE(path.name);
        listfolder = folder.path();
        Start();
        Addrow(L"z.wav");
        listfolder = folder.File(L"gone");
        std::vector<std::wstring> told;
        messagehook = [&](HWND, const std::wstring& text, const std::wstring&, UINT) {
            told.push_back(text);
            // The icon's 終了 while the warning is up starts no second shut-down.
            if (told.size() == 1) SendMessageW(Form1(), WM_CLOSE, 0, 0);
            return IDOK;
        };
        path.unload();
        EXPECT_TRUE(Pump());
        EXPECT_EQ(Form1(), nullptr);
        EXPECT_FALSE(Iconpresent());
        EXPECT_EQ(told.size(), path.told ? 1u : 0u);
        EXPECT_EQ(Readbytes(folder.File(L".Default-0.dat")), "a.wav\r\nb.wav\r\n");
    }
}

std::string Utf16(const std::wstring& text, bool mark = true)
{
    std::string bytes = mark ? "\xFF\xFE" : "";
    for (wchar_t c : text) {
        bytes += char(c & 0xFF);
        bytes += char(unsigned(c) >> 8);
    }
    return bytes;
}

// List files as other programs and damaged disks leave them, by file name.
std::vector<std::pair<std::wstring, std::string>> Oddlists()
{
    // Random bytes first: lines holding NULs, which a list row cannot hold.
    std::string many, big = "first.wav\r\n" + std::string(5u << 20, 'y') + "\r\n";
    for (unsigned k = 0, x = 7; k < 300; ++k, x = x * 1103515245 + 12345) many += char((x >> 16) % 7 == 0 ? 0 : x >> 16);
    many += "\r\n";
    for (int k = 0; k < 150; ++k) many += "s" + std::to_string(k) + ".wav\r\n";
    return {
        {L".Default-0.dat", many},
        {L".Default-1.dat", Utf16(L"C:\\サウンド\\一.wav\r\nC:\\음\\두.wav\r\n")},
        {L".Default-2.dat", "\xEF\xBB\xBF" + Toutf8(L"C:\\サウンド\\三.wav\r\n")},
        {L".Default-3.dat", big},
        {L"Explorer-0.dat", "\r\n\r\na.wav\r\n\r\n\r\nb.wav"},
        {L"Explorer-1.dat", "a.wav\rb.wav\rc.wav"},
    };
}

TEST_F(Mainwindow, ListsNobodyEditedStayByteForByteWhateverTheirShape)
{
    for (const auto& [name, bytes] : Oddlists()) Writebytes(folder.File(name), bytes);
    Writebytes(folder.File(L"kvx7F.tmp"), "left by a save that was cut short");
    messagehook = [](HWND, const std::wstring& text, const std::wstring&, UINT) {
        ADD_FAILURE() << "asked about a list nobody edited: " << Toansi(text);
        return IDNO;
    };
    Start();
    EXPECT_FALSE(Fileexists(folder.File(L"kvx7F.tmp")));
    EXPECT_EQ(Rows(List2).size(), 101u);
    Pickevent(1);
    EXPECT_EQ(Rows(List2), (Rowlist{L"C:\\サウンド\\一.wav", L"C:\\음\\두.wav"}));
    Pickevent(2);
    EXPECT_EQ(Rows(List2), Rowlist{L"C:\\サウンド\\三.wav"});
    Pickevent(3);
    Pickapp(2);
    EXPECT_EQ(Rows(List2), (Rowlist{L"a.wav", L"b.wav"}));
    Pickevent(1);
    EXPECT_EQ(Rows(List2), (Rowlist{L"a.wav", L"b.wav", L"c.wav"}));
    Click(Command4);
    EXPECT_TRUE(Pump());
    for (const auto& [name, bytes] : Oddlists()) EXPECT_TRUE(Readbytes(folder.File(name)) == bytes) << Toansi(name);
}

TEST_F(Mainwindow, AnEditOfAPartlyReadListAsksBeforeDroppingAndKeepsTheEncoding)
{
    for (const auto& [name, bytes] : Oddlists()) Writebytes(folder.File(name), bytes);
    std::vector<std::wstring> asked;
    int answer = IDNO;
    messagehook = [&](HWND, const std::wstring& text, const std::wstring&, UINT flags) {
        asked.push_back(text);
        EXPECT_EQ(flags & MB_DEFBUTTON2, UINT(MB_DEFBUTTON2)) << "keeping the file is the default";
        return answer;
    };
    Start();
    SendMessageW(Item(List2), LB_DELETESTRING, 0, 0);
    Pickevent(1);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].find(L"101"), std::wstring::npos) << "says what would be dropped";
    EXPECT_EQ(Readbytes(folder.File(L".Default-0.dat")), Oddlists()[0].second) << "kept as it is";
    Pickevent(0);
    SendMessageW(Item(List2), LB_DELETESTRING, 0, 0);
    answer = IDYES;
    Pickevent(1);
    std::string saved = Readbytes(folder.File(L".Default-0.dat"));
    EXPECT_EQ(saved.substr(0, 8), "s0.wav\r\n") << "the row of random bytes was the one removed";
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 100);
    // The UTF-16 list takes a path the code page cannot spell and is saved back in UTF-16.
    asked.clear();
    Addrow(L"C:\\新\\소리.wav");
    Click(Command4);
    EXPECT_TRUE(Pump());
    EXPECT_TRUE(asked.empty()) << "that list was read whole";
    EXPECT_TRUE(Readbytes(folder.File(L".Default-1.dat")) ==
                Utf16(L"C:\\サウンド\\一.wav\r\nC:\\음\\두.wav\r\nC:\\新\\소리.wav\r\n"));
}

TEST_F(Mainwindow, AFolderThatCannotBeWrittenIsToldOnceAtStartUp)
{
    std::vector<std::wstring> told;
    messagehook = [&](HWND, const std::wstring& text, const std::wstring&, UINT) {
        told.push_back(text);
        return IDOK;
    };
    Start();
    EXPECT_TRUE(told.empty());
    const Rowlist files = Filesin(folder.path());
    EXPECT_TRUE(std::none_of(files.begin(), files.end(), [](const std::wstring& name) { return name.ends_with(L".tmp"); }))
        << "the trial file is gone";
    Unloadform1();
    Pump();
    listfolder = folder.File(L"not writable");
    Start();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(folder.File(L"not writable")), std::wstring::npos) << "names the folder";
}

TEST_F(Mainwindow, NothingIsSavedForAnApplicationWithoutEvents)
{
    Start();
    Pickapp(1);
    EXPECT_EQ(Rows(List1), Rowlist{});
    EXPECT_EQ(Rows(List2), Rowlist{});
    EXPECT_EQ(Text(regbox1), L"");
    EXPECT_EQ(Text(regbox2), L"");
    Addrow(L"nowhere.wav");
    Pickapp(2);
    Pickapp(1);
    Click(Command4);
    EXPECT_TRUE(Pump());
    EXPECT_FALSE(Fileexists(folder.File(L"Empty-0.dat")));
    EXPECT_FALSE(Valueexists(settingskey, L"listcountEmpty-0"));
}

TEST_F(Mainwindow, Command3HidesTheWindowAndLeavesOneIcon)
{
    Start();
    Showform1();
    EXPECT_TRUE(IsWindowVisible(Form1()));
    Click(Command3);
    EXPECT_FALSE(IsWindowVisible(Form1()));
    EXPECT_TRUE(Iconpresent());
    tuskicon2();
    EXPECT_FALSE(Iconpresent());
}

TEST_F(Mainwindow, VersionNote)
{
    Start();
    std::vector<std::wstring> shown;
    messagehook = [&](HWND owner, const std::wstring& text, const std::wstring& title, UINT flags) {
        EXPECT_EQ(owner, Form1());
        EXPECT_EQ(flags, UINT(MB_OK));
        shown.push_back(text + L"|" + title);
        return IDOK;
    };
    Click(Command2);
    EXPECT_EQ(shown, Rowlist{L"Kivexa Ver.1.4|ﾊﾞｰｼﾞｮﾝ情報"});
}

TEST_F(Mainwindow, DoubleClickPlaysTheSelectedFileWhateverItsCharactersWhileTheWindowGoesOn)
{
    Start();
    const std::wstring sound = folder.Sound(L"효과음 Beyoncé 😀.wav");
    Addrow(sound);
    Addrow(folder.File(L"gone.wav"));
    std::mutex lock;
    std::vector<std::pair<std::wstring, std::string>> played;
    Kernelhandle heard(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    playerhook = [&](const std::wstring& path, const std::string& bytes) {
        std::lock_guard<std::mutex> guard(lock);
        played.emplace_back(path, bytes);
        SetEvent(heard.get());
    };
    auto doubleclick = [this](int row) {
        SendMessageW(Item(List2), LB_SETCURSEL, WPARAM(row), 0);
        SendMessageW(Form1(), WM_COMMAND, MAKEWPARAM(List2, LBN_DBLCLK), reinterpret_cast<LPARAM>(Item(List2)));
    };
    doubleclick(-1);
    doubleclick(3);  // a missing file sounds nothing
    doubleclick(2);
    ASSERT_EQ(WaitForSingleObject(heard.get(), 5000), WAIT_OBJECT_0);
    Sleep(100);
    std::lock_guard<std::mutex> guard(lock);
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0].first, sound);
    EXPECT_EQ(played[0].second, Wavebytes(16)) << "the file's own bytes, read through its wide path";
}

TEST_F(Mainwindow, Command8DropsCombo1ThirtyTwoItemsTallInPlace)
{
    Start();
    Showform1();
    HWND combo = Item(Combo1);
    auto droppedheight = [combo] {
        RECT dropped{};
        SendMessageW(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
        return dropped.bottom - dropped.top;
    };
    const LRESULT item = SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0);
    RECT before{};
    GetWindowRect(combo, &before);
    EXPECT_LT(droppedheight(), 30 * item);
    Click(Command8);
    RECT after{};
    GetWindowRect(combo, &after);
    EXPECT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right, before.right);
    // 32 item heights for box and list together: Windows counts the closed box in the dropped
    // rectangle, Wine leaves it out; either way about 30 rows fit.
    EXPECT_GE(droppedheight(), 30 * item);
    EXPECT_LE(droppedheight(), 32 * item);
    SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
}

TEST_F(Mainwindow, TimerTickRunsTheChangePass)
{
    Savesetting(L"cinterval", L"1");
    Writebytes(folder.File(L".Default-0.dat"), "only.wav\r\n");
    folder.Sound(L"only.wav");
    Start();
    SendMessageW(Form1(), WM_TIMER, Timer1, 0);
    EXPECT_EQ(Getregstr(HKEY_CURRENT_USER, defaultcurrent, L""), L"only.wav");
}

TEST_F(Mainwindow, SecondInstanceShowsTheFirstOnesWindow)
{
    const std::wstring name = Instancename() + L"-test";
    {
        Instancelock first(name);
        EXPECT_TRUE(first.First());
        Instancelock second(name);
        EXPECT_FALSE(second.First());
    }
    EXPECT_TRUE(Instancelock(name).First());
    Start();
    EXPECT_FALSE(IsWindowVisible(Form1()));
    Wakefirst();
    Pump();
    EXPECT_TRUE(IsWindowVisible(Form1()));
}

class Emptytree : public Kvxwindows {};

TEST_F(Emptytree, StartsAndEndsWithoutApplicationsOrFiles)
{
    Start();
    EXPECT_EQ(Approws(), Rowlist{});
    EXPECT_EQ(Rows(List1), Rowlist{});
    EXPECT_EQ(Rows(List2), Rowlist{});
    EXPECT_EQ(Text(regbox1), L"");
    EXPECT_EQ(Text(regbox2), L"");
    EXPECT_TRUE(Iconpresent());
    Click(Command4);
    EXPECT_TRUE(Pump());
    EXPECT_EQ(Filesin(folder.path()), Rowlist{});
    // The first start told the user where Kvx is, once, and wrote nothing else.
    std::vector<std::wstring> stored;
    for (const Regvalue& value : Getregvalues(HKEY_CURRENT_USER, settingskey)) stored.push_back(value.name);
    EXPECT_EQ(stored, Rowlist{L"welcomed"});
}

}
