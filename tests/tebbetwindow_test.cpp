#include "editorwindow.h"

namespace {

using Rowlist = std::vector<std::wstring>;

class Form1window : public Editorwindow {};

TEST_F(Form1window, StartupFillsTheListsInRegistryOrder)
{
    Puttree();
    Open();
    EXPECT_EQ(Rows(form1.combo1), (Rowlist{L".Default", L"エクスプローラー", L"Zeta"}));
    EXPECT_EQ(Rows(form1.list2), (Rowlist{L"移動の開始", L"一般の警告", L"未使用"}));
    // The first application is selected; its unlabelled event shows its key name.
    EXPECT_EQ(Selected(form1.combo1), 0);
    EXPECT_EQ(curapp, 1);
    EXPECT_EQ(Rows(form1.list1), (Rowlist{L"一般の警告", L"Unlabelled"}));
    Select(form1.combo1, 2);
    EXPECT_EQ(curapp, 3);
    EXPECT_TRUE(Rows(form1.list1).empty());
    Select(form1.combo1, 1);
    EXPECT_EQ(Rows(form1.list1), (Rowlist{L"移動の開始"}));
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
        {"List1 clicked", [] { Select(form1.list1, 0); }, false, true},
        {"List2 clicked", [] { Select(form1.list2, 2); }, true, false},
        {"← ran", [] { Click(form1.command1); }, true, false},
        {"List1 clicked again", [] { Select(form1.list1, 2); }, false, true},
        {"→ ran", [] { Click(form1.command2); }, false, true},
        {"application selected", [] { Select(form1.combo1, 1); }, false, false},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(IsWindowEnabled(form1.command1) != FALSE, step.add) << step.what;
        EXPECT_EQ(IsWindowEnabled(form1.command2) != FALSE, step.remove) << step.what;
    }
}

TEST_F(Form1window, LayoutKeepsTheEllipsisOverTheComboAndTabsInTableOrder)
{
    Puttree();
    Open();
    RECT ellipsis{};
    GetWindowRect(form1.command6, &ellipsis);
    POINT centre{(ellipsis.left + ellipsis.right) / 2, (ellipsis.top + ellipsis.bottom) / 2};
    ScreenToClient(form1.window, &centre);
    EXPECT_EQ(ChildWindowFromPointEx(form1.window, centre, CWP_SKIPINVISIBLE), form1.command6);

    // Disabled arrows are passed over; Tab wraps from "..." to List1.
    const HWND forward[] = {form1.list1, form1.list2, form1.combo1, form1.command3,
                            form1.command4, form1.command5, form1.command6, form1.list1};
    for (size_t k = 0; k + 1 < std::size(forward); ++k) EXPECT_EQ(Nexttabstop(forward[k], true), forward[k + 1]) << k;
    EXPECT_EQ(Nexttabstop(form1.list1, false), form1.command6);
    Select(form1.list2, 0);
    EXPECT_EQ(Nexttabstop(form1.list2, true), form1.command1);
    EXPECT_EQ(Nexttabstop(form1.command1, true), form1.combo1);
}

TEST_F(Form1window, EllipsisDropsTheComboInPlace)
{
    Puttree();
    Open();
    RECT before{};
    GetWindowRect(form1.combo1, &before);
    Click(form1.command6);
    EXPECT_TRUE(SendMessageW(form1.combo1, CB_GETDROPPEDSTATE, 0, 0));
    SendMessageW(form1.combo1, CB_SHOWDROPDOWN, FALSE, 0);
    RECT after{}, dropped{};
    GetWindowRect(form1.combo1, &after);
    SendMessageW(form1.combo1, CB_GETDROPPEDCONTROLRECT, 0, LPARAM(&dropped));
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right, before.right);
    // Closed box and list together are 32 item heights, of which the closed box is drawn in
    // its own (Wine counts that part apart): room for 30 rows at least.
    LRESULT item = SendMessageW(form1.combo1, CB_GETITEMHEIGHT, 0, 0);
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
        HWND editor = form1.window;
        if (closebox)
            SendMessageW(editor, WM_CLOSE, 0, 0);
        else
            Click(form1.command5);
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
