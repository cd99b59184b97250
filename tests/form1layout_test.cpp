#include "form1.h"
#include "kvxwindows.h"
#include "form2.h"
#include "form4.h"
#include "layoutcheck.h"
#include "sessionsounds.h"

#include <commctrl.h>

namespace {
using namespace form1;

class Layout : public Kvxwindows {};

TEST_F(Layout, ControlsStayInsideTheirWindowsAt96And144Dpi)
{
    Start();
    wchar_t caption[16] = {};
    GetWindowTextW(Form1(), caption, 16);
    EXPECT_STREQ(caption, L"KVX");
    LONG_PTR style = GetWindowLongPtrW(Form1(), GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_THICKFRAME), 0);
    ASSERT_EQ(Windowdpi(Form1()), 96u);
    // "..." lies on Combo1's arrow and takes its clicks.
    const std::pair<int, int> mayoverlap[] = {{Command8, Combo1}};
    // The options dialog has a check box more where Windows no longer plays the session sounds.
    for (bool windows7 : {false, true}) {
        SCOPED_TRACE(windows7 ? "Windows 7" : "Windows 10");
        windowsplayssessionhook = windows7;
        Click(Command1);
        HWND options = Form2();
        ASSERT_NE(options, nullptr);
        EXPECT_EQ(GetDlgItem(options, form2::Check2) != nullptr, !windows7);
        for (UINT dpi : {96u, 120u, 144u, 96u}) {
            Changewindowdpi(Form1(), dpi);
            Checklayout(Form1(), Form1layout(), dpi, mayoverlap);
            Changewindowdpi(options, dpi);
            Checklayout(options, Form2layout(), dpi, {});
        }
        DestroyWindow(options);
    }
    windowsplayssessionhook.reset();
    // The progress window of a sound set, and of work that can stop.
    for (bool cancel : {false, true}) {
        Showform4(Form1(), L"サウンドセットを書き出す", L"サウンドをコピーしています",
                  cancel ? std::function<void()>([] {}) : nullptr);
        ASSERT_NE(Form4(), nullptr);
        EXPECT_EQ(GetDlgItem(Form4(), form4::Command1) != nullptr, cancel);
        for (UINT dpi : {96u, 120u, 144u}) {
            Changewindowdpi(Form4(), dpi);
            Checklayout(Form4(), Form4layout(cancel), dpi, {});
        }
        Unloadform4();
    }
}

TEST_F(Layout, TabOrderRunsThroughTheControlsWithCommand8AfterCombo1)
{
    // An event is shown, so the editing buttons are enabled and take part.
    Puttree(folder);
    Start();
    Showform1();
    std::vector<int> order;
    HWND at = Item(List1);
    for (int step = 0; step < 12; ++step) {
        order.push_back(GetDlgCtrlID(at));
        at = GetNextDlgTabItem(Form1(), at, FALSE);
    }
    EXPECT_EQ(order, (std::vector<int>{List1, List2, Command1, Command2, Command3, Command4, Command5, Command6,
                                       Command7, Combo1, Command8, List1}));
    // Command8 lies over Combo1's arrow and takes the clicks there.
    RECT button{};
    GetWindowRect(Item(Command8), &button);
    POINT centre{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    ScreenToClient(Form1(), &centre);
    EXPECT_EQ(ChildWindowFromPoint(Form1(), centre), Item(Command8));
}

BOOL CALLBACK Findtooltip(HWND window, LPARAM found)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (GetWindow(window, GW_OWNER) != Form1() || std::wstring(name) != TOOLTIPS_CLASSW) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

TEST_F(Layout, TooltipsAndLabelColours)
{
    Start();
    HWND tooltip = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), Findtooltip, reinterpret_cast<LPARAM>(&tooltip));
    ASSERT_NE(tooltip, nullptr);
    struct Tip {
        int id;
        const wchar_t* text;  // nullptr: no tooltip
    };
    for (const Tip& tip : {Tip{Command5, L"サウンドをサウンドリストに追加します"},
                           Tip{Command6, L"選択したサウンドをリストから削除します"},
                           Tip{Command7, L"現在のサウンドを選択したサウンドに変更します"},
                           Tip{List2, L"ダブルクリックで再生します"}, Tip{Command1, L"変更する時間間隔などを設定します"},
                           Tip{List1, nullptr}, Tip{Combo1, nullptr}, Tip{Command2, nullptr}, Tip{Command4, nullptr}}) {
        SCOPED_TRACE(testing::Message() << "control " << tip.id);
        wchar_t text[128] = {};
        TOOLINFOW info{};
        info.cbSize = TTTOOLINFOW_V2_SIZE;
        info.hwnd = Form1();
        info.uId = reinterpret_cast<UINT_PTR>(Item(tip.id));
        info.lpszText = text;
        bool has = SendMessageW(tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)) != 0;
        EXPECT_EQ(has, tip.text != nullptr);
        if (!has || !tip.text) continue;
        info.lpszText = text;
        SendMessageW(tooltip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&info));
        EXPECT_STREQ(text, tip.text);
    }
    HDC dc = CreateCompatibleDC(nullptr);
    for (auto [id, colour] : {std::pair{Label1, RGB(0, 128, 128)}, {Label2, RGB(255, 70, 131)}}) {
        SendMessageW(Form1(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Item(id)));
        EXPECT_EQ(GetTextColor(dc), colour) << "control " << id;
    }
    DeleteDC(dc);
}

}
