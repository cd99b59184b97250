#include "form1.h"
#include "form3.h"
#include "instance.h"
#include "kvxwindows.h"
#include "listfiles.h"
#include "pickers.h"
#include "registry.h"
#include "schemetable.h"
#include "settings.h"
#include "text.h"

#include <functional>

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
             SendMessageW(Form3(), traycallback, 0, WM_RBUTTONUP);
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

TEST_F(Mainwindow, DoubleClickPlaysTheSelectedRowAsynchronouslyInTheAnsiCodePage)
{
    Start();
    Addrow(L"C:\\サウンド\\ﾁｬｲﾑ.wav");
    std::vector<std::pair<std::string, UINT>> played;
    playsoundhook = [&](const std::string& path, UINT flags) { played.emplace_back(path, flags); };
    auto doubleclick = [this] {
        SendMessageW(Form1(), WM_COMMAND, MAKEWPARAM(List2, LBN_DBLCLK), reinterpret_cast<LPARAM>(Item(List2)));
    };
    doubleclick();
    EXPECT_TRUE(played.empty());
    SendMessageW(Item(List2), LB_SETCURSEL, 2, 0);
    doubleclick();
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0].first, Toansi(L"C:\\サウンド\\ﾁｬｲﾑ.wav"));
    EXPECT_EQ(played[0].second, 1u);
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
    EXPECT_FALSE(Keyexists(settingskey));
}

}
