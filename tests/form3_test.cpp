#include "autostart.h"
#include "changer.h"
#include "commands.h"
#include "folders.h"
#include "listfiles.h"
#include "form1.h"
#include "form3.h"
#include "keylist.h"
#include "kvxwindows.h"
#include "originals.h"
#include "pickers.h"
#include "programfolder.h"
#include "registry.h"
#include "settings.h"
#include "soundsets.h"
#include "listbox.h"
#include "text.h"

#include <algorithm>
#include <iterator>

namespace {

using Rowlist = std::vector<std::wstring>;

// One menu as it was shown: its items' texts ("-" for a separator), check marks and default.
struct Shownmenu {
    Rowlist items;
    std::vector<bool> checked;
    UINT defaultitem = 0;
    POINT at{};
};

class Tray : public Kvxwindows {
protected:
    void SetUp() override
    {
        Kvxwindows::SetUp();
        Puttree(folder);
        Start();
        popupmenuhook = [this](HMENU popup, POINT at) {
            Shownmenu menu;
            menu.at = at;
            for (int k = 0; k < GetMenuItemCount(popup); ++k) {
                wchar_t text[64] = {};
                GetMenuStringW(popup, UINT(k), text, 64, MF_BYPOSITION);
                UINT state = GetMenuState(popup, UINT(k), MF_BYPOSITION);
                menu.items.push_back(state & MF_SEPARATOR ? L"-" : text);
                menu.checked.push_back((state & MF_CHECKED) != 0);
            }
            menu.defaultitem = GetMenuDefaultItem(popup, FALSE, 0);
            menus.push_back(menu);
            return std::exchange(chosen, 0u);
        };
    }
    // Chooses a menu item as the user does: a right click on the icon, then the item.
    void Choose(UINT item)
    {
        chosen = item;
        Rightclicktray();
        Pump();
    }
    bool Checked(UINT item)
    {
        Choose(0);
        const Shownmenu& menu = menus.back();
        size_t at = Position(item);
        return at < menu.checked.size() && menu.checked[at];
    }
    static size_t Position(UINT item)
    {
        const UINT order[] = {form3::mresize, form3::mchange,  form3::mpause,    form3::moption,
                              form3::mexport, form3::mimport, form3::mstartup, form3::mnorepeat,
                              form3::mrestore, 0,             form3::mend};
        return size_t(std::find(std::begin(order), std::end(order), item) - std::begin(order));
    }
    std::wstring Current() { return Getregstr(HKEY_CURRENT_USER, Currentpath(L".Default", L".Default"), L""); }

    std::vector<Shownmenu> menus;
    UINT chosen = 0;
};

TEST_F(Tray, MouseAndKeyboardOnTheIconAsTheShellReportsThemUnderVersion4)
{
    ASSERT_TRUE(Trayversion4()) << "the shell took the notification contract of version 4";
    struct Case {
        const char* name;
        std::vector<UINT> events;  // in the order the shell sends them
        size_t menusatonce, menuslater;
        bool shown;
    };
    const Case cases[] = {
        {"left click", {WM_LBUTTONDOWN, WM_LBUTTONUP, NIN_SELECT}, 0, 1, false},
        {"double-click",
         {WM_LBUTTONDOWN, WM_LBUTTONUP, NIN_SELECT, WM_LBUTTONDBLCLK, WM_LBUTTONUP, NIN_SELECT},
         0, 0, true},
        {"right click", {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CONTEXTMENU}, 1, 1, false},
        {"pointer moving", {WM_MOUSEMOVE, WM_MBUTTONDOWN, WM_MBUTTONUP}, 0, 0, false},
        {"Enter or Space on the focused icon", {NIN_KEYSELECT}, 0, 0, true},
        {"Shift+F10 or the menu key", {WM_CONTEXTMENU}, 1, 1, false},
        {"a click on the notification", {NIN_BALLOONUSERCLICK}, 0, 0, true},
    };
    const POINT anchor{1234, 987};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShowWindow(Form1(), SW_HIDE);
        menus.clear();
        for (UINT event : c.events) Notifytray(event, anchor);
        Pump();
        EXPECT_EQ(menus.size(), c.menusatonce);
        if (c.menusatonce > 0) {
            EXPECT_EQ(menus[0].at.x, anchor.x) << "opened at the icon's anchor";
            EXPECT_EQ(menus[0].at.y, anchor.y);
        }
        // What a click opens comes once the double-click time has passed; nothing else waits.
        bool clicked = std::find(c.events.begin(), c.events.end(), UINT(NIN_SELECT)) != c.events.end();
        DWORD until = GetTickCount() + (clicked ? GetDoubleClickTime() + 300 : 0);
        while (GetTickCount() < until) {
            Pump();
            Sleep(20);
        }
        EXPECT_EQ(menus.size(), c.menuslater);
        EXPECT_EQ(IsWindowVisible(Form1()) != FALSE, c.shown);
        EXPECT_FALSE(IsWindowVisible(Form3()));
    }
}

// What the real menu showed: whether it was open, where, and whether its first item was
// highlighted. Looked at from a timer inside the menu's own loop, which then closes it.
struct Realmenu {
    bool open = false;
    POINT at{};
    bool firsthighlighted = false;
};
Realmenu* realmenu = nullptr;

void CALLBACK Lookatmenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    if (HWND menu = FindWindowW(L"#32768", nullptr); menu && IsWindowVisible(menu)) {
        realmenu->open = true;
        RECT r{};
        GetWindowRect(menu, &r);
        realmenu->at = {r.left, r.top};
        auto popup = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
        realmenu->firsthighlighted = (GetMenuState(popup, 0, MF_BYPOSITION) & MF_HILITE) != 0;
    }
    EndMenu();
}

TEST_F(Tray, TheMenuOpenedFromTheKeyboardHasItsFirstItemHighlighted)
{
    popupmenuhook = nullptr;
    const POINT anchor{200, 150};
    for (bool keyboard : {true, false}) {
        SCOPED_TRACE(keyboard ? "Shift+F10" : "right click");
        Realmenu seen;
        realmenu = &seen;
        SetTimer(nullptr, 0, 300, Lookatmenu);
        if (!keyboard) Notifytray(WM_RBUTTONUP, anchor);
        Notifytray(WM_CONTEXTMENU, anchor);
        Pump();
        ASSERT_TRUE(seen.open);
        EXPECT_EQ(seen.at.x, anchor.x);
        EXPECT_EQ(seen.at.y, anchor.y);
        EXPECT_EQ(seen.firsthighlighted, keyboard) << "arrows and Enter work at once from the keyboard";
    }
    EXPECT_FALSE(IsWindowVisible(Form1())) << "nothing chosen, nothing done";
}

TEST_F(Tray, MenuItemsWithTheFirstAsDefault)
{
    Choose(0);
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].items, (Rowlist{L"元のサイズに戻す", L"今すぐ変更", L"一時停止", L"詳細設定",
                                       L"サウンドセットを書き出す...", L"サウンドセットを読み込む...",
                                       L"Windows の起動時に実行", L"同じサウンドを続けない", L"元のサウンドに戻す", L"-",
                                       L"終了"}));
    EXPECT_EQ(menus[0].defaultitem, UINT(form3::mresize));
    EXPECT_FALSE(IsWindowVisible(Form1())) << "nothing chosen, nothing done";
    // Tebbet finds Kvx by its title, which Form3 shares: that must stay the main window.
    EXPECT_EQ(FindWindowW(nullptr, L"KVX"), Form1());
    Choose(form3::mresize);
    EXPECT_TRUE(IsWindowVisible(Form1()));
    EXPECT_TRUE(Iconpresent());
    Choose(form3::mnorepeat);
    EXPECT_EQ(Count(L"norepeat"), L"1");
    EXPECT_EQ(norepeat, 1);
    EXPECT_TRUE(Checked(form3::mnorepeat));
    Choose(form3::mnorepeat);
    EXPECT_EQ(Count(L"norepeat"), L"0");
}

TEST_F(Tray, PauseHoldsAcrossARestartAndChangeNowChangesAnyway)
{
    EXPECT_FALSE(Checked(form3::mpause));
    Choose(form3::mpause);
    EXPECT_EQ(Count(L"paused"), L"1");
    EXPECT_NE(std::wstring(Trayrecord().szTip).find(L"一時停止"), std::wstring::npos);
    Unloadform1();
    Pump();
    Start();
    EXPECT_TRUE(Checked(form3::mpause));
    Putvalue(Currentpath(L".Default", L".Default"), L"", L"old.wav");
    for (int tick = 0; tick < 3; ++tick) SendMessageW(Form1(), WM_TIMER, form1::Timer1, 0);
    EXPECT_EQ(Current(), L"old.wav") << "no timed pass while paused";
    EXPECT_EQ(Count(L"cinterval"), L"<none>") << "the interval is left as it was";
    Choose(form3::mchange);
    EXPECT_NE(Current(), L"old.wav");
    Choose(form3::mpause);
    EXPECT_EQ(Count(L"paused"), L"0");
}

TEST_F(Tray, SoundSetsGoOutAndComeBackThroughTheMenu)
{
    Scratchfolder sets;
    setsfolder = sets.File(L"imported");
    const std::wstring target = sets.File(L"書き出し");
    browsefolderhook = [&](HWND, const std::wstring&) { return target; };
    Rowlist told;
    int answer = IDOK;
    messagehook = [&](HWND, const std::wstring& text, const std::wstring&, UINT) {
        told.push_back(text);
        return answer;
    };
    // An edit of the shown list, not saved yet, goes into the set.
    const std::wstring edit = folder.Sound(L"編集.wav");
    SendMessageW(GetDlgItem(Form1(), form1::List2), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(edit.c_str()));
    Choose(form3::mexport);
    EXPECT_TRUE(Fileexists(target + L"\\kvxset.txt"));
    EXPECT_TRUE(Fileexists(target + L"\\.Default\\.Default\\編集.wav"));
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].rfind(L"7 個のサウンドを書き出しました。", 0), 0u) << Toansi(told[0]);
    // A folder that is not empty takes no set.
    Choose(form3::mexport);
    EXPECT_NE(told.back().find(L"空ではありません"), std::wstring::npos);

    // Back in: the shown list emptied first; a cancel at the question changes nothing.
    HWND list2 = GetDlgItem(Form1(), form1::List2);
    SendMessageW(list2, LB_RESETCONTENT, 0, 0);
    answer = IDCANCEL;
    Choose(form3::mimport);
    EXPECT_NE(told.back().find(L"1 個のイベントに 3 個のサウンドを追加します"), std::wstring::npos) << Toansi(told.back());
    EXPECT_FALSE(Fileexists(setsfolder));
    EXPECT_EQ(Listrows(list2), Rowlist{});
    answer = IDOK;
    Choose(form3::mimport);
    Rowlist rows = Listrows(list2);
    ASSERT_EQ(rows.size(), 3u) << "the shown list shows what was added";
    EXPECT_EQ(Readbytes(rows[2]), Readbytes(edit));
    EXPECT_TRUE(rows[0].starts_with(setsfolder + L"\\書き出し\\"));
    browsefolderhook = nullptr;
}

// Each of Kvx's commands leaves the same state whether a person runs it from the icon's menu (and
// answers yes) or its key, or a script hands over its switch.
TEST_F(Tray, EachCommandDoesTheSameFromTheMenuItsKeyAndItsSwitch)
{
    Scratchfolder sets;
    const std::wstring exported = sets.File(L"書き出し"), setfolder = sets.File(L"セット");
    const std::wstring list = folder.File(L".Default-0.dat");
    // A set with a sound the lists do not hold, to import.
    const std::string savedlist = Readbytes(list);
    Writebytes(folder.File(L"新しい.wav"), Wavebytes(40));
    Savedata(1, 0, {folder.File(L"新しい.wav")});
    ASSERT_TRUE(Exportset(setfolder, L"セット").done);
    std::wstring picked;
    browsefolderhook = [&](HWND, const std::wstring&) { return picked; };
    messagehook = [](HWND, const std::wstring&, const std::wstring&, UINT) { return IDOK; };
    auto restart = [&] {
        if (Form1()) Unloadform1();
        Pump();
        Putvalue(Currentpath(L".Default", L".Default"), L"", L"old.wav");
        Deleteregvalue(HKEY_CURRENT_USER, originalskey, L".Default\\.Default");
        Savesetting(L"paused", L"0");
        Writebytes(list, savedlist);
        Removetree(exported);
        Removetree(setsfolder = sets.File(L"imported"));
        Start();
        Seedrandom(7);
    };
    auto state = [&] {
        std::wstring originals;
        for (const Regvalue& value : Getregvalues(HKEY_CURRENT_USER, originalskey))
            originals += value.name + L"=" + value.data.Text() + L";";
        return L"current " + Current() + L", paused " + Count(L"paused") + L"/" + std::to_wstring(paused) +
               L", originals " + originals + L", running " + std::to_wstring(Form1() != nullptr) + L", visible " +
               std::to_wstring(Form1() && IsWindowVisible(Form1())) + L", list " + Fromansi(Readbytes(list)) +
               L", set " + Fromutf8(Readbytes(exported + L"\\kvxset.txt")).value_or(L"?");
    };
    for (const Kvxcommand& command : Kvxcommands()) {
        if (command.on == Switch::none) continue;
        SCOPED_TRACE(Toansi(command.text));
        picked = command.on == Switch::importset ? setfolder : exported;
        restart();
        const std::wstring before = state();
        Choose(command.id);
        const std::wstring bymenu = state();
        EXPECT_NE(bymenu, before) << "the command did something";
        if (command.key != 0) {
            restart();
            Showform1();
            SetFocus(GetDlgItem(Form1(), form1::List1));
            Presskey(command.key);
            for (int k = 0; k < 10; ++k, Sleep(15)) Pump();
            ShowWindow(Form1(), SW_HIDE);
            EXPECT_EQ(state(), bymenu) << "by its key";
        }
        restart();
        EXPECT_EQ(Runswitch({command.on, picked, {}}), exitdone);
        Pump();
        EXPECT_EQ(state(), bymenu) << "by its switch";
    }
    browsefolderhook = nullptr;
}

TEST_F(Tray, StartWithWindowsAddsAndRemovesTheRunValue)
{
    EXPECT_FALSE(Checked(form3::mstartup));
    Choose(form3::mstartup);
    const std::wstring quoted = L"\"" + Programpath() + L"\"";
    EXPECT_EQ(Getregstr(HKEY_CURRENT_USER, runkey, L"Kvx"), quoted + L" /logon");
    EXPECT_TRUE(Checked(form3::mstartup));
    Choose(form3::mstartup);
    EXPECT_FALSE(Valueexists(runkey, L"Kvx"));
    // The form an earlier Kvx wrote still counts; switched off and on, it takes the new form.
    Putvalue(runkey, L"Kvx", quoted);
    EXPECT_TRUE(Checked(form3::mstartup));
    Choose(form3::mstartup);
    EXPECT_FALSE(Valueexists(runkey, L"Kvx"));
    Choose(form3::mstartup);
    EXPECT_EQ(Getregstr(HKEY_CURRENT_USER, runkey, L"Kvx"), quoted + L" /logon");
    // A Run value naming another copy of Kvx is not this one's.
    Putvalue(runkey, L"Kvx", L"\"D:\\elsewhere\\Kvx.exe\"");
    EXPECT_FALSE(Checked(form3::mstartup));
}

TEST_F(Tray, OriginalsAreRecordedOnceAndRestoredWithAPause)
{
    const std::wstring record = std::wstring(originalskey);
    Putvalue(Currentpath(L"Explorer", L"Navigating"), L"", L"mine.wav");
    Choose(form3::mchange);
    Choose(form3::mchange);
    EXPECT_EQ(Getregstr(HKEY_CURRENT_USER, record, L".Default\\.Default"), L"old.wav");
    EXPECT_EQ(Getregstr(HKEY_CURRENT_USER, record, L"Explorer\\Navigating"), L"mine.wav");
    EXPECT_FALSE(Valueexists(record, L".Default\\Open")) << "an event Kvx never wrote has no record";
    EXPECT_NE(Current(), L"old.wav");
    // An event gone since: its record goes without a write.
    Putvalue(record, L"Gone\\Event", L"x.wav");
    int answer = IDCANCEL;
    UINT flags = 0;
    messagehook = [&](HWND, const std::wstring&, const std::wstring&, UINT f) {
        flags = f;
        return answer;
    };
    Choose(form3::mrestore);
    EXPECT_EQ(flags & MB_DEFBUTTON2, UINT(MB_DEFBUTTON2)) << "Cancel is the default";
    EXPECT_NE(Current(), L"old.wav") << "cancelled";
    answer = IDOK;
    Choose(form3::mrestore);
    EXPECT_EQ(Current(), L"old.wav");
    EXPECT_EQ(Getregstr(HKEY_CURRENT_USER, Currentpath(L"Explorer", L"Navigating"), L""), L"mine.wav");
    EXPECT_TRUE(Getregvalues(HKEY_CURRENT_USER, record).empty());
    EXPECT_FALSE(Keyexists(std::wstring(appsroot) + L"\\Gone"));
    EXPECT_EQ(Count(L"paused"), L"1");
    EXPECT_TRUE(Checked(form3::mpause));
}

TEST_F(Tray, IconRecordAndShellRestart)
{
    NOTIFYICONDATAW record = Trayrecord();
    EXPECT_EQ(record.hWnd, Form3());
    EXPECT_EQ(record.uID, 1u);
    EXPECT_EQ(record.uFlags, UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP)) << "the tooltip stays under version 4";
    EXPECT_EQ(record.uCallbackMessage, 0x200u);
    EXPECT_NE(record.hIcon, nullptr);
    EXPECT_EQ(std::wstring(record.szTip).rfind(L"KVX", 0), 0u);
    // A restarted shell has forgotten the icon and says so to every top-level window: the icon
    // comes back, under version 4 again.
    tuskicon2();
    ASSERT_FALSE(Iconpresent());
    SendMessageW(Form3(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(Iconpresent());
    EXPECT_TRUE(Trayversion4());
    // Adding an icon that is there already succeeds and leaves one icon, so no retry is armed.
    EXPECT_TRUE(tuskicon1());
    EXPECT_FALSE(KillTimer(Form3(), form3::Timer1));
    // A retry tick (armed while the shell refused the icon) adds it.
    tuskicon2();
    SendMessageW(Form3(), WM_TIMER, form3::Timer1, 0);
    EXPECT_TRUE(Iconpresent());
    EXPECT_TRUE(tuskicon2());
    EXPECT_FALSE(Iconpresent());
}

TEST_F(Tray, TheTooltipTellsTheState)
{
    struct Case {
        int16_t interval, pause;
        const wchar_t* says;
    };
    for (const Case& c : {Case{5, 0, L"5 分ごとに変更（次回 "}, Case{0, 0, L"自動では変更しません"},
                          Case{5, 1, L"一時停止中"}}) {
        cinterval = c.interval;
        paused = c.pause;
        Settimer1(cinterval != 0);
        std::wstring tip = Trayrecord().szTip;
        EXPECT_EQ(tip.rfind(L"KVX - ", 0), 0u) << Toansi(tip);
        EXPECT_NE(tip.find(c.says), std::wstring::npos) << Toansi(tip);
    }
    paused = 0;
}

}

namespace {
class Firststart : public Kvxwindows {
protected:
    void SetUp() override
    {
        Kvxwindows::SetUp();
        Puttree(folder);
        Forget();
    }
    // As before this user's first start: nothing stored.
    static void Forget() { RegDeleteTreeW(HKEY_CURRENT_USER, settingskey); }
};

TEST_F(Firststart, ANewUserIsToldOnceWhereTheIconIsButNotAtLogon)
{
    ASSERT_NE(Createform1(GetModuleHandleW(nullptr), true), nullptr);
    Pump();
    EXPECT_EQ(Getsetting(L"welcomed", L""), L"") << "at logon nobody has just started Kvx";
    Unloadform1();
    Pump();
    Forget();
    Start();
    EXPECT_EQ(Getsetting(L"welcomed", L""), L"1") << "the shell showed the notification";
    // Its click opens the main window.
    Notifytray(NIN_BALLOONUSERCLICK);
    EXPECT_TRUE(IsWindowVisible(Form1()));
    Unloadform1();
    Pump();
    // Once settings are stored, never again.
    Deleteregvalue(HKEY_CURRENT_USER, settingskey, L"welcomed");
    Start();
    EXPECT_EQ(Getsetting(L"welcomed", L""), L"");
}
}
