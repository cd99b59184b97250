#include "editing.h"
#include "editorwindow.h"
#include "programfolder.h"
#include "registry.h"

namespace {

using Rowlist = std::vector<std::wstring>;

std::wstring Defaultvalue(const std::wstring& keypath)
{
    return Getregstr(HKEY_CURRENT_USER, keypath, L"");
}

TEST(Delregkey, DeletesTheKeyWithEverythingBelowIt)
{
    Scratchregistry scratch;
    Putvalue(L"T\\Deep\\a\\b", L"", L"x");
    Putkey(L"T\\Deep\\c");
    Putkey(L"T\\Leaf");
    Putkey(L"T\\Other\\x");
    struct Case {
        const wchar_t* parent;
        const wchar_t* name;
        bool result;
    };
    const Case cases[] = {
        {L"T", L"Leaf", true}, {L"T", L"Deep", true}, {L"T", L"Missing", false}, {L"Nowhere", L"Other", false},
        {L"T", L"", false},  // not T itself
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Delregkey(HKEY_CURRENT_USER, c.parent, c.name), c.result) << c.parent << L"\\" << c.name;
        if (*c.name) {
            EXPECT_FALSE(Keyexists(std::wstring(c.parent) + L"\\" + c.name));
        }
    }
    EXPECT_TRUE(Keyexists(L"T\\Other\\x"));
}

TEST(Appkeyname, IsTheFileTitleUpToItsFirstDot)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\tools\\notepad.exe", L"notepad"}, {L"C:\\tools\\my.tool.exe", L"my"},
        {L"C:\\ツール\\サウンド.bat", L"サウンド"},  {L"C:\\a.b\\run", L"run"},
        {L"C:\\x\\.hidden.exe", L""},
    };
    for (const auto& [path, name] : cases) EXPECT_EQ(Appkeyname(Filetitle(path)), name) << path;
}

class Editing : public Editorwindow {
protected:
    void SetUp() override
    {
        Puttree();
        Open();
    }
    // Answers the confirmation with answer and counts the questions.
    void Answer(int answer)
    {
        messagehook = [this, answer](HWND, const std::wstring& text, const std::wstring& title, UINT flags) {
            questions.push_back(text);
            EXPECT_EQ(title, L"KVX用イベント設定");
            EXPECT_EQ(flags, 49u);
            return answer;
        };
    }
    std::vector<std::wstring> questions;
};

TEST_F(Editing, AddApplicationWritesItsKeyAndSelectsTheFirst)
{
    std::vector<Openfilerequest> requests;
    std::wstring chosen;
    openfilehook = [&](const Openfilerequest& request) {
        requests.push_back(request);
        return chosen;
    };
    struct Case {
        const wchar_t* path;
        Rowlist rows;
        int selected;  // the first after a reread; unchanged when nothing was added
    };
    const Case cases[] = {
        {L"", {L".Default", L"エクスプローラー", L"Zeta"}, 2},  // cancelled
        {L"C:\\tools\\my.tool.exe", {L".Default", L"エクスプローラー", L"my", L"Zeta"}, 0},
        // The key exists in another case: its name becomes its text, it stays one row.
        {L"C:\\Windows\\explorer.exe", {L".Default", L"explorer", L"my", L"Zeta"}, 0},
        {L"C:\\x\\.hidden.exe", {L".Default", L"explorer", L"my", L"Zeta"}, 2},
    };
    for (const Case& c : cases) {
        chosen = c.path;
        Select(Item(Combo1), 2);
        Click(Item(Command3));
        EXPECT_EQ(Rows(Item(Combo1)), c.rows) << c.path;
        EXPECT_EQ(Selected(Item(Combo1)), c.selected) << c.path;
    }
    EXPECT_EQ(Defaultvalue(approot + L"my"), L"my");
    EXPECT_EQ(Defaultvalue(approot + L"Explorer"), L"explorer");
    EXPECT_TRUE(Keyexists(approot + L"Explorer\\Navigating\\.Current"));
    EXPECT_FALSE(Valueexists(appsroot, L""));
    Select(Item(Combo1), 2);
    chosen = L"C:\\tools\\other.exe";
    Click(Item(Command3));
    EXPECT_EQ(curapp, 1);
    EXPECT_EQ(Rows(Item(List1)), (Rowlist{L"一般の警告", L"Unlabelled"}));
    ASSERT_EQ(requests.size(), std::size(cases) + 1);
    EXPECT_EQ(requests[0].owner, Form1());
    constexpr wchar_t filter[] = L"ｱﾌﾟﾘｹｰｼｮﾝ\0*.exe;*.bat";
    EXPECT_EQ(requests[0].filter, std::wstring(filter, std::size(filter) - 1));
    EXPECT_EQ(requests[0].initialdir, Programfolder());
    EXPECT_EQ(requests[0].title, L"ｱﾌﾟﾘｹｰｼｮﾝの追加");
}

TEST_F(Editing, DeleteApplicationAsksByDisplayTextAndDeletesByKeyName)
{
    struct Case {
        int row;
        int answer;
        const wchar_t* question;
        Rowlist rows;
    };
    const Case cases[] = {
        {1, IDCANCEL, L"エクスプローラーを削除します\r\nよろしいですか？", {L".Default", L"エクスプローラー", L"Zeta"}},
        {1, IDOK, L"エクスプローラーを削除します\r\nよろしいですか？", {L".Default", L"Zeta"}},  // with events
        {1, IDOK, L"Zetaを削除します\r\nよろしいですか？", {L".Default"}},                        // without
    };
    for (const Case& c : cases) {
        questions.clear();
        Answer(c.answer);
        Select(Item(Combo1), c.row);
        Click(Item(Command4));
        EXPECT_EQ(questions, Rowlist{c.question});
        EXPECT_EQ(Rows(Item(Combo1)), c.rows) << c.question;
        EXPECT_EQ(Selected(Item(Combo1)), c.answer == IDOK ? 0 : c.row);
    }
    EXPECT_FALSE(Keyexists(approot + L"Explorer"));
    EXPECT_FALSE(Keyexists(approot + L"Zeta"));
    EXPECT_TRUE(Keyexists(approot + L".Default\\SystemAsterisk\\.Current"));
}

TEST_F(Editing, AddTheSameEventTwiceThenRemoveBoth)
{
    const std::wstring current = approot + L"Zeta\\SystemAsterisk\\.Current";
    Select(Item(Combo1), 2);
    Select(Item(List2), 1);
    Click(Item(Command1));
    Putvalue(current, L"", L"chosen.wav");
    Click(Item(Command1));
    EXPECT_EQ(Rows(Item(List1)), (Rowlist{L"一般の警告", L"一般の警告"}));
    EXPECT_EQ(apps[3].last, 1);
    EXPECT_EQ(apps[3].names, (Rowlist{L"SystemAsterisk", L"SystemAsterisk"}));
    EXPECT_EQ(apps[3].labelidx, (std::vector<int16_t>{1, 1}));
    EXPECT_TRUE(Valueexists(current, L""));
    EXPECT_EQ(Defaultvalue(current), L"");
    // The first removal deletes the key; the second line's key is gone already.
    for (size_t left : {1u, 0u}) {
        Select(Item(List1), 0);
        Click(Item(Command2));
        EXPECT_EQ(Rows(Item(List1)).size(), left);
        EXPECT_EQ(apps[3].last, int16_t(left) - 1);
    }
    EXPECT_FALSE(Keyexists(approot + L"Zeta\\SystemAsterisk"));
}

TEST_F(Editing, RemoveEventDeletesItsCurrentKeyAndNeedsASelectedLine)
{
    Putkey(approot + L".Default\\Middle");
    Reloadapps();
    ASSERT_EQ(Rows(Item(List1)), (Rowlist{L"Middle", L"一般の警告", L"Unlabelled"}));
    Select(Item(List1), 1);
    Click(Item(Command2));
    EXPECT_FALSE(Keyexists(approot + L".Default\\SystemAsterisk"));
    EXPECT_EQ(Rows(Item(List1)), (Rowlist{L"Middle", L"Unlabelled"}));
    EXPECT_EQ(apps[1].names, (Rowlist{L"Middle", L"Unlabelled"}));
    EXPECT_EQ(apps[1].labelidx, (std::vector<int16_t>{-1, -1}));
    EXPECT_EQ(apps[1].last, 1);
    EXPECT_EQ(Selected(Item(List1)), LB_ERR);
    ASSERT_TRUE(IsWindowEnabled(Item(Command2)));
    Click(Item(Command2));  // no line selected
    EXPECT_EQ(Rows(Item(List1)), (Rowlist{L"Middle", L"Unlabelled"}));
    EXPECT_TRUE(Keyexists(approot + L".Default\\Middle"));
    EXPECT_TRUE(Keyexists(approot + L".Default\\Unlabelled"));
}

// The commands on the table alone, as the window runs them.
class Commands : public Editorwindow {
protected:
    void SetUp() override
    {
        Puttree();
        Loadtree();
    }
};

TEST_F(Commands, ChangeTheTableOnlyWhenTheRegistryChanged)
{
    // The table was read before this key appeared: Zeta has no events in it.
    Putkey(approot + L"Zeta\\Navigating\\.Current");
    {
        Readonlykey current(approot + L"Zeta\\Navigating\\.Current");
        Readonlykey event(approot + L"Explorer\\Navigating", false);
        Readonlykey app(approot + L"Zeta", false);
        EXPECT_EQ(Addevent(3, 0), Outcome::failed);
        EXPECT_EQ(apps[3].last, -1);
        EXPECT_EQ(Removeevent(2, 0), Outcome::failed);
        EXPECT_EQ(apps[2].names, Rowlist{L"Navigating"});
        EXPECT_EQ(Deleteapplication(3), Outcome::failed);
    }
    EXPECT_TRUE(Keyexists(approot + L"Zeta\\Navigating\\.Current")) << "left whole";
    EXPECT_TRUE(Keyexists(approot + L"Explorer\\Navigating\\.Current")) << "left whole";
    EXPECT_EQ(Addevent(3, 0), Outcome::done);
    EXPECT_EQ(apps[3].names, Rowlist{L"Navigating"});
    EXPECT_EQ(apps[3].labelidx, std::vector<int16_t>{0});
    EXPECT_TRUE(Valueexists(approot + L"Zeta\\Navigating\\.Current", L""));
    EXPECT_EQ(Removeevent(2, 0), Outcome::done);
    EXPECT_EQ(apps[2].last, -1);
    EXPECT_FALSE(Keyexists(approot + L"Explorer\\Navigating"));
    EXPECT_EQ(Deleteapplication(3), Outcome::done);
    EXPECT_FALSE(Keyexists(approot + L"Zeta"));
    EXPECT_EQ(Addapplication(L"C:\\x\\Tool.v2.exe"), Outcome::done);
    EXPECT_EQ(Defaultvalue(approot + L"Tool"), L"Tool");
    // Picked in a folder of any name, the program gives its own name; a name the code page cannot
    // spell would make a key neither program lists again.
    EXPECT_EQ(Addapplication(L"C:\\효과음\\Beyoncé\\Player.exe"), Outcome::done);
    EXPECT_EQ(Defaultvalue(approot + L"Player"), L"Player");
    EXPECT_EQ(Addapplication(L"C:\\x\\Café.exe"), Outcome::failed);
    EXPECT_FALSE(Keyexists(approot + L"Café"));
    EXPECT_FALSE(Keyexists(approot + L"Cafe"));
    // Nothing to do: no path, no name, no such application or event or label.
    for (Outcome outcome : {Addapplication(L""), Addapplication(L"C:\\x\\.hidden.exe"), Addevent(9, 0), Addevent(1, 3),
                            Removeevent(1, 5), Removeevent(0, 0), Deleteapplication(0), Deleteapplication(4)})
        EXPECT_EQ(outcome, Outcome::nothing);
    EXPECT_EQ(apps[1].last, 1);
}

TEST(Hostilenames, DeleteRemovesExactlyTheSelectedKey)
{
    Scratchregistry scratch;
    // Names the code page cannot spell, beside the names they would be mistaken for.
    for (const wchar_t* app : {L"Victim¥Open", L"Victim", L"Café", L"Cafe", L"App"}) Putkey(approot + app + L"\\Open\\.Current");
    Putkey(approot + L"Victim\\Keep");
    Putvalue(approot + L"App\\소리\\.Current", L"", L"x.wav");
    Putkey(approot + L"App\\소리\\Deeper\\ß");
    Loadtree();
    EXPECT_EQ(apps[0].names, (Rowlist{L"App", L"Cafe", L"Victim"})) << "names the code page cannot spell are left out";
    EXPECT_EQ(apps[1].names, Rowlist{L"Open"});
    // Removing an event leaves its neighbour with an unspellable name alone.
    EXPECT_EQ(Removeevent(1, 0), Outcome::done);
    EXPECT_TRUE(Keyexists(approot + L"App\\소리\\.Current"));
    for (const wchar_t* name : {L"Victim", L"Cafe", L"App"}) {
        int16_t app = 0;
        for (int16_t i = 1; i <= Appcount(); ++i)
            if (apps[0].names[size_t(i - 1)] == name) app = i;
        ASSERT_NE(app, 0);
        EXPECT_EQ(Deleteapplication(app), Outcome::done) << name;
        EXPECT_FALSE(Keyexists(approot + name)) << "deleted whole, whatever its subkeys are named";
        Loadtree();
    }
    EXPECT_TRUE(Keyexists(approot + L"Victim¥Open\\Open\\.Current"));
    EXPECT_TRUE(Keyexists(approot + L"Café\\Open\\.Current"));
    EXPECT_EQ(Appcount(), 0);
}

TEST_F(Editing, AFailedCommandWarnsAndLeavesTheListsAsTheyWere)
{
    Putkey(approot + L"Zeta\\Navigating\\.Current");
    Readonlykey current(approot + L"Zeta\\Navigating\\.Current");
    std::vector<std::wstring> warned;
    messagehook = [&](HWND, const std::wstring& text, const std::wstring&, UINT) {
        warned.push_back(text);
        return IDOK;
    };
    Select(Item(Combo1), 2);
    Select(Item(List2), 0);
    Click(Item(Command1));
    EXPECT_EQ(warned.size(), 1u);
    EXPECT_TRUE(Rows(Item(List1)).empty());
    EXPECT_EQ(apps[3].last, -1);
}

class Noapplications : public Editorwindow {};

TEST_F(Noapplications, DeleteAndAddEventDoNothing)
{
    Putvalue(labelroot + L"Open", L"", L"開く");
    Open();
    std::vector<std::wstring> asked;
    messagehook = [&](HWND, const std::wstring& text, const std::wstring&, UINT) {
        asked.push_back(text);
        return IDOK;
    };
    Click(Item(Command4));
    Select(Item(List2), 0);
    Click(Item(Command1));
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(curapp, 0);
    EXPECT_TRUE(Rows(Item(Combo1)).empty());
    EXPECT_TRUE(Rows(Item(List1)).empty());
    EXPECT_EQ(Enumregkeys(HKEY_CURRENT_USER, appsroot), -1);
}

}
