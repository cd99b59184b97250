#include "form1.h"
#include "kvxwindows.h"
#include "layout.h"

#include <commctrl.h>

namespace {
using namespace form1;

struct Placed {
    int id;
    const wchar_t* caption;
    int left, top, width, height;  // twips in the window's client area; -1: follows the content
};
// Combo1's window height is its drop-down height; Label1 and Label2 are sized to their text.
const Placed places[] = {
    {Frame2, L"アプリケーション", 120, 0, 9975, 615},
    {Combo1, L"", 240, 240, 9735, -1},
    {Command8, L"...", 9710, 265, 255, 255},
    {Label1, L"イベント", 120, 840, -1, -1},
    {Label2, L"サウンド", 5160, 840, -1, -1},
    {Command5, L"追加", 7320, 720, 855, 255},
    {Command6, L"削除", 8280, 720, 855, 255},
    {Command7, L"変更", 9240, 720, 855, 255},
    {List1, L"", 120, 1080, 4935, 6000},
    {List2, L"", 5160, 1080, 4935, 6000},
    {Frame1, L"現在のサウンド", 120, 7200, 9975, 495},
    {regbox1, L"", 240, 7440, 4620, 180},
    {Label3, L"-", 5040, 7440, 135, 135},
    {regbox2, L"", 5280, 7440, 4665, 180},
    {Command1, L"詳細設定", 120, 7800, 1215, 255},
    {Command2, L"ﾊﾞｰｼﾞｮﾝ情報", 6240, 7800, 1455, 255},
    {Command3, L"ﾀｽｸﾊﾞｰへ", 7920, 7800, 1215, 255},
    {Command4, L"終了", 9240, 7800, 855, 255},
};

int Px(int twips, int dpi)
{
    return MulDiv(twips, dpi, 1440);
}

class Layout : public Kvxwindows {
protected:
    RECT Placeof(int id)
    {
        RECT r{};
        GetWindowRect(Item(id), &r);
        MapWindowPoints(nullptr, Form1(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    SIZE Textsize(int id)
    {
        HDC dc = GetDC(Item(id));
        HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(Item(id), WM_GETFONT, 0, 0)));
        SIZE size{};
        std::wstring text = Text(id);
        GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
        SelectObject(dc, previous);
        ReleaseDC(Item(id), dc);
        return size;
    }
    void Checkplaces(int dpi)
    {
        RECT client{};
        GetClientRect(Form1(), &client);
        EXPECT_EQ(client.right, Px(clientwidth, dpi));
        EXPECT_EQ(client.bottom, Px(clientheight, dpi));
        for (const Placed& p : places) {
            SCOPED_TRACE(testing::Message() << "control " << p.id << " at " << dpi << " dpi");
            RECT r = Placeof(p.id);
            EXPECT_EQ(Text(p.id), p.caption);
            // One pixel either way for rounding.
            EXPECT_NEAR(r.left, Px(p.left, dpi), 1);
            EXPECT_NEAR(r.top, Px(p.top, dpi), 1);
            if (p.width >= 0) {
                EXPECT_NEAR(r.right - r.left, Px(p.width, dpi), 1);
            }
            if (p.height >= 0) {
                EXPECT_NEAR(r.bottom - r.top, Px(p.height, dpi), 1);
            }
            if (p.width < 0) {
                SIZE text = Textsize(p.id);
                EXPECT_GE(r.right - r.left, text.cx);
                EXPECT_GE(r.bottom - r.top, text.cy);
            }
        }
        for (int id : {Label1, Label2}) {
            LOGFONTW font{};
            GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Item(id), WM_GETFONT, 0, 0)), sizeof font, &font);
            EXPECT_STREQ(font.lfFaceName, L"ＭＳ Ｐゴシック");
            EXPECT_EQ(font.lfWeight, FW_BOLD);
            EXPECT_EQ(font.lfHeight, -MulDiv(9, dpi, 72));
        }
    }
};

TEST_F(Layout, ControlsSitWhereTheTableSaysAt96And144Dpi)
{
    Start();
    wchar_t caption[16] = {};
    GetWindowTextW(Form1(), caption, 16);
    EXPECT_STREQ(caption, L"KVX");
    LONG_PTR style = GetWindowLongPtrW(Form1(), GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_THICKFRAME), 0);
    ASSERT_EQ(Windowdpi(Form1()), 96u);
    Checkplaces(96);
    RECT window{};
    GetWindowRect(Form1(), &window);
    SendMessageW(Form1(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&window));
    Checkplaces(144);
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
