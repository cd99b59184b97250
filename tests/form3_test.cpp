#include "form1.h"
#include "form3.h"
#include "kvxwindows.h"

namespace {

class Tray : public Kvxwindows {
protected:
    void SetUp() override
    {
        Kvxwindows::SetUp();
        Puttree(folder);
        Start();
        popupmenuhook = [this](HMENU popup, POINT) {
            menus.push_back(popup);
            return chosen;
        };
    }
    void Notify(UINT mousemsg) { SendMessageW(Form3(), traycallback, trayid, mousemsg); }

    std::vector<HMENU> menus;
    UINT chosen = 0;
};

TEST_F(Tray, ReleasedButtonsOpenTheMenuAndDoubleClicksShowTheWindow)
{
    struct Case {
        UINT mousemsg;
        bool menu;
        bool show;
    };
    for (const Case& c : {Case{WM_MOUSEMOVE, false, false}, Case{WM_LBUTTONDOWN, false, false},
                          Case{WM_RBUTTONDOWN, false, false}, Case{WM_MBUTTONDOWN, false, false},
                          Case{WM_MBUTTONUP, false, false}, Case{WM_MBUTTONDBLCLK, false, false},
                          Case{WM_LBUTTONUP, true, false}, Case{WM_RBUTTONUP, true, false},
                          Case{WM_LBUTTONDBLCLK, false, true}, Case{WM_RBUTTONDBLCLK, false, true}}) {
        SCOPED_TRACE(testing::Message() << "mouse message 0x" << std::hex << c.mousemsg);
        ShowWindow(Form1(), SW_HIDE);
        menus.clear();
        Notify(c.mousemsg);
        Pump();
        EXPECT_EQ(menus.size(), c.menu ? 1u : 0u);
        EXPECT_EQ(IsWindowVisible(Form1()) != FALSE, c.show);
        EXPECT_FALSE(IsWindowVisible(Form3()));
    }
}

TEST_F(Tray, MenuItemsAndWhatTheyDo)
{
    Notify(WM_RBUTTONUP);
    ASSERT_EQ(menus.size(), 1u);
    std::vector<std::wstring> items;
    for (int k = 0; k < GetMenuItemCount(menus[0]); ++k) {
        wchar_t text[64] = {};
        GetMenuStringW(menus[0], UINT(k), text, 64, MF_BYPOSITION);
        items.push_back(GetMenuState(menus[0], UINT(k), MF_BYPOSITION) & MF_SEPARATOR ? L"-" : text);
    }
    EXPECT_EQ(items, (std::vector<std::wstring>{L"元のサイズに戻す", L"詳細設定", L"-", L"終了"}));
    // Nothing chosen: nothing happens.
    Pump();
    EXPECT_FALSE(IsWindowVisible(Form1()));
    // Tebbet finds Kvx by its title, which Form3 shares: that must stay the main window.
    EXPECT_EQ(FindWindowW(nullptr, L"KVX"), Form1());
    chosen = form3::mresize;
    for (int twice = 0; twice < 2; ++twice) {
        Notify(WM_LBUTTONUP);
        Pump();
        EXPECT_TRUE(IsWindowVisible(Form1()));
    }
    EXPECT_TRUE(Iconpresent());
}

TEST_F(Tray, IconRecordAndShellRestart)
{
    NOTIFYICONDATAA record = Trayrecord();
    EXPECT_EQ(record.cbSize, DWORD(NOTIFYICONDATAA_V1_SIZE));
    EXPECT_EQ(record.hWnd, Form3());
    EXPECT_EQ(record.uID, 1u);
    EXPECT_EQ(record.uFlags, 7u);
    EXPECT_EQ(record.uCallbackMessage, 0x200u);
    EXPECT_NE(record.hIcon, nullptr);
    EXPECT_STREQ(record.szTip, "KVX");
    // A restarted shell has forgotten the icon and says so to every top-level window.
    tuskicon2();
    ASSERT_FALSE(Iconpresent());
    SendMessageW(Form3(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(Iconpresent());
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

}
