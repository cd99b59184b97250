#include "form2.h"
#include "interval.h"
#include "pickers.h"
#include "registry.h"
#include "scratch.h"
#include "settings.h"
#include "text.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(Interval, RoundsHalvesToEvenAndRefusesWhatIsNoNumber)
{
    struct Case {
        std::wstring text;
        std::optional<int16_t> value;  // nothing: refused
        Intervalerror error;
    };
    const std::vector<Case> cases = {
        {L"0", 0, Intervalerror::none},
        {L"5", 5, Intervalerror::none},
        {L"2.5", 2, Intervalerror::none},
        {L"3.5", 4, Intervalerror::none},
        {L"-2.5", -2, Intervalerror::none},
        {L"-3.5", -4, Intervalerror::none},
        {L"2.51", 3, Intervalerror::none},
        {L"2.4999", 2, Intervalerror::none},
        {L"0.5", 0, Intervalerror::none},
        {L"1.5", 2, Intervalerror::none},
        {L".5", 0, Intervalerror::none},
        {L"7.", 7, Intervalerror::none},
        {L" 12 ", 12, Intervalerror::none},
        {L"+3", 3, Intervalerror::none},
        {L"１０", 10, Intervalerror::none},
        {L"32767", 32767, Intervalerror::none},
        {L"32767.4", 32767, Intervalerror::none},
        {L"-32768", -32768, Intervalerror::none},
        {L"-32768.5", -32768, Intervalerror::none},
        {L"32767.5", std::nullopt, Intervalerror::outofrange},
        {L"-32768.6", std::nullopt, Intervalerror::outofrange},
        {L"40000", std::nullopt, Intervalerror::outofrange},
        {L"99999999999999999999", std::nullopt, Intervalerror::outofrange},
        {L"", std::nullopt, Intervalerror::notanumber},
        {L"abc", std::nullopt, Intervalerror::notanumber},
        {L"5分", std::nullopt, Intervalerror::notanumber},
        {L"1e3", std::nullopt, Intervalerror::notanumber},
        {L"-", std::nullopt, Intervalerror::notanumber},
        {L".", std::nullopt, Intervalerror::notanumber},
        {L"1.2.3", std::nullopt, Intervalerror::notanumber},
    };
    for (const Case& c : cases) {
        Intervalvalue got = Convertinterval(c.text);
        EXPECT_EQ(got.error, c.error) << Toansi(c.text);
        if (c.value) {
            EXPECT_EQ(got.value, *c.value) << Toansi(c.text);
        }
    }
}

class Optionsdialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        defdir.clear();
        cinterval = 1;
        optval1 = 0;
        owner = CreateWindowExW(0, L"STATIC", L"KVX", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        browsefolderhook = nullptr;
    }
    void TearDown() override
    {
        if (Form2()) DestroyWindow(Form2());
        DestroyWindow(owner);
        browsefolderhook = nullptr;
    }
    void Open()
    {
        Showform2(owner, [this](bool on) { timer = on; });
        ASSERT_NE(Form2(), nullptr);
    }
    HWND Control(int id) { return GetDlgItem(Form2(), id); }
    std::wstring Text(int id)
    {
        wchar_t text[512];
        GetWindowTextW(Control(id), text, 512);
        return text;
    }
    void Type(int id, const std::wstring& text) { SetWindowTextW(Control(id), text.c_str()); }
    void Click(int id)
    {
        SendMessageW(Form2(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(id)));
    }
    bool Checked() { return SendMessageW(Control(form2::Check1), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    std::wstring Stored(const wchar_t* key) { return Getregstr(HKEY_CURRENT_USER, settingskey, key); }

    Scratchregistry scratch;
    HWND owner = nullptr;
    std::optional<bool> timer;
};

TEST_F(Optionsdialog, OpensWithTheSettingsNowHeld)
{
    Open();
    wchar_t caption[32];
    GetWindowTextW(Form2(), caption, 32);
    EXPECT_STREQ(caption, L"詳細設定");
    EXPECT_EQ(Text(form2::Text1), L"");
    EXPECT_EQ(Text(form2::Text2), L"1");
    EXPECT_FALSE(Checked());
    EXPECT_EQ(GetWindow(Form2(), GW_OWNER), owner);
    LONG_PTR style = GetWindowLongPtrW(Form2(), GWL_STYLE);
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX));
}

TEST_F(Optionsdialog, OkStoresAppliesAndCloses)
{
    struct Case {
        std::wstring typed;
        bool tick;
        std::wstring stored;
        int16_t interval;
        bool timeron;
    };
    for (const Case& c : std::vector<Case>{{L"0", false, L"0", 0, false},
                                           {L"5", true, L"5", 5, true},
                                           {L"2.5", false, L"2", 2, true},
                                           {L"3.5", false, L"4", 4, true},
                                           {L"-3", false, L"-3", -3, true}}) {
        timer.reset();
        Open();
        Type(form2::Text1, L"D:\\サウンド");
        Type(form2::Text2, c.typed);
        SendMessageW(Control(form2::Check1), BM_SETCHECK, c.tick ? BST_CHECKED : BST_UNCHECKED, 0);
        Click(form2::Command1);
        EXPECT_EQ(Form2(), nullptr) << "OK closes the dialog";
        EXPECT_EQ(Stored(L"cinterval"), c.stored);
        EXPECT_EQ(cinterval, c.interval);
        EXPECT_EQ(Stored(L"optval1"), c.tick ? L"1" : L"0");
        EXPECT_EQ(optval1, c.tick ? 1 : 0);
        EXPECT_EQ(Stored(L"defdir"), L"D:\\サウンド");
        EXPECT_EQ(defdir, L"D:\\サウンド");
        EXPECT_EQ(timer, std::optional<bool>(c.timeron));
    }
}

TEST_F(Optionsdialog, RefusedIntervalKeepsTheDialogOpenAndStoresNothing)
{
    for (const wchar_t* typed : {L"abc", L"", L"40000", L"1e3"}) {
        Open();
        Type(form2::Text1, L"C:\\new");
        Type(form2::Text2, typed);
        Click(form2::Command1);
        ASSERT_NE(Form2(), nullptr) << Toansi(typed);
        EXPECT_NE(Text(form2::Label4), L"") << "the reason is shown next to the field";
        EXPECT_FALSE(Valueexists(settingskey, L"cinterval"));
        EXPECT_FALSE(Valueexists(settingskey, L"defdir"));
        EXPECT_EQ(defdir, L"");
        EXPECT_EQ(cinterval, 1);
        EXPECT_FALSE(timer.has_value());
        DWORD from = 1, to = 0;
        SendMessageW(Control(form2::Text2), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        EXPECT_EQ(from, 0u);
        EXPECT_EQ(to, DWORD(std::wstring(typed).size()));
        // Typing again clears the note.
        Type(form2::Text2, L"3");
        EXPECT_EQ(Text(form2::Label4), L"");
    }
}

TEST_F(Optionsdialog, OkStaysOpenAndSaysSoWhenTheSettingsCannotBeStored)
{
    Putkey(settingskey);
    {
        Readonlykey lock(settingskey);
        Open();
        Type(form2::Text2, L"5");
        Click(form2::Command1);
        ASSERT_NE(Form2(), nullptr);
        EXPECT_NE(Text(form2::Label4), L"");
        EXPECT_FALSE(Valueexists(settingskey, L"cinterval"));
    }
    // Once the store works again, OK stores and closes.
    Click(form2::Command1);
    EXPECT_EQ(Form2(), nullptr);
    EXPECT_EQ(Stored(L"cinterval"), L"5");
}

TEST_F(Optionsdialog, CloseBoxDiscardsAndReopeningRefills)
{
    cinterval = 7;
    optval1 = 1;
    defdir = L"E:\\音";
    Open();
    EXPECT_EQ(Text(form2::Text2), L"7");
    EXPECT_TRUE(Checked());
    EXPECT_EQ(Text(form2::Text1), L"E:\\音");
    Type(form2::Text2, L"9");
    Type(form2::Text1, L"F:\\");
    SendMessageW(Form2(), WM_CLOSE, 0, 0);
    EXPECT_EQ(Form2(), nullptr);
    EXPECT_EQ(cinterval, 7);
    EXPECT_FALSE(Valueexists(settingskey, L"cinterval"));
    EXPECT_FALSE(timer.has_value());
    Open();
    EXPECT_EQ(Text(form2::Text2), L"7");
    EXPECT_EQ(Text(form2::Text1), L"E:\\音");
    // Opening again while open discards unconfirmed edits too, and keeps one dialog.
    HWND first = Form2();
    Type(form2::Text2, L"11");
    Open();
    EXPECT_EQ(Form2(), first);
    EXPECT_EQ(Text(form2::Text2), L"7");
}

TEST_F(Optionsdialog, BrowseFillsTheFolderOnlyWhenOneIsChosen)
{
    std::wstring answer;
    HWND asked = nullptr;
    std::wstring title;
    browsefolderhook = [&](HWND o, const std::wstring& t) {
        asked = o;
        title = t;
        return answer;
    };
    defdir = L"C:\\old";
    Open();
    Click(form2::Command2);
    EXPECT_EQ(Text(form2::Text1), L"C:\\old");
    EXPECT_EQ(asked, owner) << "the picker is owned by the main window";
    EXPECT_EQ(title, L"ﾃﾞﾌｫﾙﾄのﾃﾞｨﾚｸﾄﾘの指定");
    answer = L"D:\\新しい";
    Click(form2::Command2);
    EXPECT_EQ(Text(form2::Text1), L"D:\\新しい");
}

TEST_F(Optionsdialog, TabMovesThroughTheFieldsInOrder)
{
    Open();
    SetForegroundWindow(Form2());
    SetFocus(Control(form2::Text1));
    ASSERT_EQ(GetFocus(), Control(form2::Text1));
    std::vector<HWND> order;
    for (int step = 0; step < 6; ++step) {
        MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
        EXPECT_TRUE(IsDialogMessageW(Form2(), &tab));
        order.push_back(GetFocus());
    }
    EXPECT_EQ(order, (std::vector<HWND>{Control(form2::Command2), Control(form2::Text2), Control(form2::Command1),
                                        Control(form2::Check1), Control(form2::Check2), Control(form2::Text1)}));
}

}
