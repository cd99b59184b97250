#include "editorwindow.h"
#include "layoutcheck.h"

namespace {

using Rowlist = std::vector<std::wstring>;

class Form1window : public Editorwindow {};

TEST_F(Form1window, StartupFillsTheListsInRegistryOrder)
{
    Puttree();
    Open();
    EXPECT_EQ(Rows(Item(Combo1)), (Rowlist{L".Default", L"エクスプローラー", L"Zeta"}));
    EXPECT_EQ(Rows(Item(List2)), (Rowlist{L"移動の開始", L"一般の警告", L"未使用"}));
    // The first application is selected; its unlabelled event shows its key name.
    EXPECT_EQ(Selected(Item(Combo1)), 0);
    EXPECT_EQ(curapp, 1);
    EXPECT_EQ(Rows(Item(List1)), (Rowlist{L"一般の警告", L"Unlabelled"}));
    Select(Item(Combo1), 2);
    EXPECT_EQ(curapp, 3);
    EXPECT_TRUE(Rows(Item(List1)).empty());
    Select(Item(Combo1), 1);
    EXPECT_EQ(Rows(Item(List1)), (Rowlist{L"移動の開始"}));
}

TEST_F(Form1window, ArrowButtonsFollowTheLastClickedList)
{
    Puttree();
    Open();
    struct Step {
        const char* what;
        void (*act)();
        bool add, remove;  // Command1 (←), Command2 (→) enabled afterwards
    };
    const Step steps[] = {
        {"window opens", [] {}, false, false},
        {"List1 clicked", [] { Select(Item(List1), 0); }, false, true},
        {"List2 clicked", [] { Select(Item(List2), 2); }, true, false},
        {"← ran", [] { Click(Item(Command1)); }, true, false},
        {"List1 clicked again", [] { Select(Item(List1), 2); }, false, true},
        {"→ ran", [] { Click(Item(Command2)); }, false, true},
        {"application selected", [] { Select(Item(Combo1), 1); }, false, false},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(IsWindowEnabled(Item(Command1)) != FALSE, step.add) << step.what;
        EXPECT_EQ(IsWindowEnabled(Item(Command2)) != FALSE, step.remove) << step.what;
    }
}

// Keys on the real keyboard, through the window's own keyboard handling.
void Press(WORD key)
{
    Presskey(key);
    for (int k = 0; k < 10; ++k) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (Form1message(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(15);
    }
}

TEST_F(Form1window, EnterAddsTheSelectedEventAndDeleteRemovesOne)
{
    Puttree();
    Open();
    ASSERT_TRUE(SetForegroundWindow(Form1()));
    // Enter on the list of every event: "←".
    SetFocus(Item(List2));
    Select(Item(List2), 0);  // 移動の開始 (Navigating)
    Press(VK_RETURN);
    EXPECT_EQ(Rows(Item(List1)), (Rowlist{L"一般の警告", L"Unlabelled", L"移動の開始"}));
    EXPECT_TRUE(Keyexists(approot + L".Default\\Navigating\\.Current"));
    // Delete on the application's events: "→".
    SetFocus(Item(List1));
    Select(Item(List1), 1);
    Press(VK_DELETE);
    EXPECT_EQ(Rows(Item(List1)), (Rowlist{L"一般の警告", L"移動の開始"}));
    EXPECT_FALSE(Keyexists(approot + L".Default\\Unlabelled"));
    // Each key acts on its own list only.
    Press(VK_RETURN);
    SetFocus(Item(List2));
    Select(Item(List2), 2);
    Press(VK_DELETE);
    EXPECT_EQ(Rows(Item(List1)), (Rowlist{L"一般の警告", L"移動の開始"}));
    EXPECT_EQ(Rows(Item(List2)).size(), 3u);
    EXPECT_TRUE(IsWindow(Form1())) << "Enter does not end the editor";
}

TEST_F(Form1window, LayoutKeepsTheEllipsisOverTheComboAndTabsInTableOrder)
{
    Puttree();
    Open();
    RECT ellipsis{};
    GetWindowRect(Item(Command6), &ellipsis);
    POINT centre{(ellipsis.left + ellipsis.right) / 2, (ellipsis.top + ellipsis.bottom) / 2};
    ScreenToClient(Form1(), &centre);
    EXPECT_EQ(ChildWindowFromPointEx(Form1(), centre, CWP_SKIPINVISIBLE), Item(Command6));

    // Disabled arrows are passed over; Tab wraps from "..." to List1.
    const HWND forward[] = {Item(List1), Item(List2), Item(Combo1), Item(Command3),
                            Item(Command4), Item(Command5), Item(Command6), Item(List1)};
    for (size_t k = 0; k + 1 < std::size(forward); ++k) EXPECT_EQ(Nexttabstop(forward[k], true), forward[k + 1]) << k;
    EXPECT_EQ(Nexttabstop(Item(List1), false), Item(Command6));
    Select(Item(List2), 0);
    EXPECT_EQ(Nexttabstop(Item(List2), true), Item(Command1));
    EXPECT_EQ(Nexttabstop(Item(Command1), true), Item(Combo1));
}

TEST_F(Form1window, ControlsStayInsideTheWindowAt96And144Dpi)
{
    Puttree();
    Open();
    // "..." lies on Combo1's arrow and takes its clicks.
    const std::pair<int, int> mayoverlap[] = {{Command6, Combo1}};
    for (UINT dpi : {96u, 120u, 144u, 96u}) {
        Changewindowdpi(Form1(), dpi);
        Checklayout(Form1(), Form1layout(), dpi, mayoverlap);
    }
}

TEST_F(Form1window, EllipsisDropsTheComboInPlace)
{
    Puttree();
    Open();
    RECT before{};
    GetWindowRect(Item(Combo1), &before);
    Click(Item(Command6));
    EXPECT_TRUE(SendMessageW(Item(Combo1), CB_GETDROPPEDSTATE, 0, 0));
    SendMessageW(Item(Combo1), CB_SHOWDROPDOWN, FALSE, 0);
    RECT after{}, dropped{};
    GetWindowRect(Item(Combo1), &after);
    SendMessageW(Item(Combo1), CB_GETDROPPEDCONTROLRECT, 0, LPARAM(&dropped));
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right, before.right);
    // Closed box and list together are 32 item heights, of which the closed box is drawn in
    // its own (Wine counts that part apart): room for 30 rows at least.
    LRESULT item = SendMessageW(Item(Combo1), CB_GETITEMHEIGHT, 0, 0);
    EXPECT_GE(dropped.bottom - after.top, 30 * item);
    EXPECT_LE(dropped.bottom - after.top, 32 * item);
}

struct Notice {
    int shown = 0;
    HWND owner = nullptr;
    std::wstring text, title;
    UINT flags = 0;
};

class Exit : public Editorwindow {
protected:
    void TearDown() override
    {
        for (HWND window : others) DestroyWindow(window);
        Editorwindow::TearDown();
    }
    HWND Topwindow(const wchar_t* title, bool visible)
    {
        HWND window = CreateWindowExW(0, L"STATIC", title, WS_POPUP | (visible ? WS_VISIBLE : 0), 0, 0, 50, 50, nullptr,
                                      nullptr, GetModuleHandleW(nullptr), nullptr);
        others.push_back(window);
        return window;
    }
    // Clicks 終了, or the close box, and reports the notice shown, if any.
    Notice Exitnow(bool closebox = false)
    {
        Notice notice;
        messagehook = [&notice](HWND owner, const std::wstring& text, const std::wstring& title, UINT flags) {
            notice = {notice.shown + 1, owner, text, title, flags};
            return IDOK;
        };
        HWND editor = Form1();
        if (closebox)
            SendMessageW(editor, WM_CLOSE, 0, 0);
        else
            Click(Item(Command5));
        EXPECT_FALSE(IsWindow(editor));
        EXPECT_TRUE(Quitposted());
        if (notice.shown) {
            EXPECT_EQ(notice.owner, editor);
        }
        return notice;
    }
    std::vector<HWND> others;
};

TEST_F(Exit, KvxWindowIsTheExactTitleBeforeOneBeginningWithIt)
{
    Open();
    struct Case {
        std::vector<const wchar_t*> titles;  // created in this order, each on top of the last
        int expected;                        // index into titles, or -1 for none
    };
    const Case cases[] = {
        {{}, -1},
        {{L"KVX"}, 0},
        {{L"KVX", L"KVXの設定"}, 0},
        {{L"KVXの設定"}, 0},
        {{L"KVX用イベント設定", L"Kvx", L"A KVX"}, -1},
    };
    for (const Case& c : cases) {
        std::vector<HWND> made;
        for (const wchar_t* title : c.titles) made.push_back(Topwindow(title, false));
        EXPECT_EQ(Findkvxwindow(), c.expected < 0 ? nullptr : made[size_t(c.expected)]) << c.titles.size();
        for (HWND window : made) DestroyWindow(window);
        others.clear();
    }
    // Of two windows titled "KVX" (Kvx's main window and its hidden notification-area window),
    // the shown one, whichever lies on top.
    for (bool shownbelow : {true, false}) {
        HWND below = Topwindow(L"KVX", shownbelow);
        HWND above = Topwindow(L"KVX", !shownbelow);
        EXPECT_EQ(Findkvxwindow(), shownbelow ? below : above) << shownbelow;
        DestroyWindow(below);
        DestroyWindow(above);
        others.clear();
    }
}

TEST_F(Exit, NoNoticeWithoutKvxOrThroughTheCloseBox)
{
    Open();
    EXPECT_EQ(Exitnow().shown, 0);
    Open();
    Topwindow(L"KVX", true);
    EXPECT_EQ(Exitnow(true).shown, 0);
}

TEST_F(Exit, WithKvxRunningTheRestartNoticeAppears)
{
    for (bool visible : {false, true}) {
        Open();
        HWND kvx = Topwindow(L"KVX", visible);
        Notice notice = Exitnow();
        EXPECT_EQ(notice.shown, 1);
        EXPECT_EQ(notice.text, L"設定を変更した場合、KVX再起動後に有効になります。");
        EXPECT_EQ(notice.title, L"KVX用イベント設定");
        EXPECT_EQ(notice.flags, 64u);
        // Kvx is left as it was: hidden in the notification area, or shown and in front.
        EXPECT_EQ(IsWindowVisible(kvx) != FALSE, visible);
        if (visible) {
            EXPECT_EQ(GetForegroundWindow(), kvx);
        }
    }
}

}
