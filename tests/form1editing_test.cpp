// The list-editing buttons, the drop of files and the options dialog, through the main window.
#include "kvxwindows.h"

#include "form1.h"
#include "form2.h"
#include "form3.h"
#include "keylist.h"
#include "listfiles.h"
#include "pickers.h"
#include "player.h"
#include "registry.h"
#include "settings.h"
#include "text.h"

#include <mutex>
#include <optional>

namespace {

using namespace form1;
using Rowlist = std::vector<std::wstring>;

const std::wstring defaultcurrent = Currentpath(L".Default", L".Default");


class Editing : public Kvxwindows {
protected:
    void SetUp() override
    {
        Kvxwindows::SetUp();
        Puttree(folder);
        openfilehook = [this](const Openfilerequest& r) {
            asked = r;
            return answer;
        };
        Start();
    }
    void TearDown() override
    {
        openfilehook = nullptr;
        Kvxwindows::TearDown();
    }
    void Selectsound(int row) { SendMessageW(Item(List2), LB_SETCURSEL, WPARAM(row), 0); }
    bool Enabled(int id) { return IsWindowEnabled(Item(id)) != FALSE; }

    std::wstring answer;
    std::optional<Openfilerequest> asked;
};

TEST_F(Editing, AddRemoveAndChangeActOnTheShownEvent)
{
    ASSERT_EQ(Rows(List2), (Rowlist{L"a.wav", L"b.wav"}));
    const std::wstring added = folder.Sound(L"新.wav");
    answer = added;
    Click(Command5);
    ASSERT_TRUE(asked.has_value());
    EXPECT_EQ(asked->owner, Form1());
    EXPECT_EQ(asked->initialdir, folder.path());
    EXPECT_EQ(Rows(List2), (Rowlist{L"a.wav", L"b.wav", added}));

    // "変更" of the row not saved yet: the registry and the frame change, the list file does not.
    Selectsound(2);
    Click(Command7);
    EXPECT_EQ(Getregstr(HKEY_CURRENT_USER, defaultcurrent, L""), added);
    EXPECT_EQ(Text(regbox2), added);
    EXPECT_EQ(Readbytes(folder.File(L".Default-0.dat")), "a.wav\r\nb.wav\r\n");

    Selectsound(0);
    Click(Command6);
    EXPECT_EQ(Rows(List2), (Rowlist{L"b.wav", added}));
    Click(Command6);  // no row selected now
    EXPECT_EQ(Rows(List2).size(), 2u);

    // Without a selection "変更" writes nothing but shows the stored value again.
    Setregstr(HKEY_CURRENT_USER, defaultcurrent, L"", L"elsewhere.wav");
    Click(Command7);
    EXPECT_EQ(Text(regbox2), L"elsewhere.wav");
}

TEST_F(Editing, TheListIsSavedWithTheAddedRowsAtTheNextSwitch)
{
    answer = folder.Sound(L"x.wav");
    Click(Command5);
    Click(Command5);  // the same file twice gives two rows
    Pickevent(1);
    std::string x = Toansi(answer);
    EXPECT_EQ(Readbytes(folder.File(L".Default-0.dat")), "a.wav\r\nb.wav\r\n" + x + "\r\n" + x + "\r\n");
    EXPECT_EQ(Count(L"listcount.Default-0"), L"4");
}

TEST_F(Editing, StartFolderIsTheDefaultFolderOnceSet)
{
    defdir = L"D:\\音";
    Click(Command5);
    ASSERT_TRUE(asked.has_value());
    EXPECT_EQ(asked->initialdir, L"D:\\音");
    EXPECT_EQ(asked->title, L"サウンドファイルの追加");
    EXPECT_EQ(Rows(List2).size(), 2u) << "cancelled: nothing added";
}

TEST_F(Editing, AddWaitsWhileTheListIsFull)
{
    answer = folder.Sound(L"full.wav");
    for (int k = 2; k < 101; ++k) Click(Command5);
    EXPECT_EQ(Rows(List2).size(), 101u);
    EXPECT_FALSE(Enabled(Command5));
    std::wstring told;
    messagehook = [&](HWND, const std::wstring& text, const std::wstring&, UINT) {
        told = text;
        return IDOK;
    };
    Drop({folder.Sound(L"more.wav")}, Middleof(List2));
    EXPECT_EQ(Rows(List2).size(), 101u);
    EXPECT_NE(told.find(L"101 個まで"), std::wstring::npos) << "the user learns why nothing was added";
    Refuseunexpectedmessages();
    Selectsound(0);
    Click(Command6);
    EXPECT_TRUE(Enabled(Command5));
    // Another event with room enables it as well.
    Click(Command5);
    EXPECT_FALSE(Enabled(Command5));
    Pickevent(1);
    EXPECT_TRUE(Enabled(Command5));
}

TEST_F(Editing, DroppedWavFilesAreAppendedOnlyOntoList2AndThoseThatCannotPlayAreNamedOnce)
{
    const std::wstring d1 = folder.Sound(L"d1.wav"), d2 = folder.Sound(L"효과음 D2.WAV");
    const std::wstring empty = folder.File(L"empty.wav"), mp3 = folder.File(L"renamed.wav");
    Writebytes(empty, "");
    Writebytes(mp3, std::string("ID3\x03\0\0\0\0\0\x21", 10) + std::string(64, '\xFF'));
    std::vector<std::wstring> told;
    messagehook = [&](HWND, const std::wstring& text, const std::wstring&, UINT) {
        told.push_back(text);
        return IDOK;
    };
    Drop({d1, empty, folder.Sound(L"notes.txt"), d2, mp3}, Middleof(List2));
    EXPECT_EQ(Rows(List2), (Rowlist{L"a.wav", L"b.wav", d1, d2}));
    ASSERT_EQ(told.size(), 1u) << "one message for the whole drop";
    EXPECT_NE(told[0].find(empty), std::wstring::npos);
    EXPECT_NE(told[0].find(mp3), std::wstring::npos);
    EXPECT_EQ(told[0].find(L"notes.txt"), std::wstring::npos) << "a file that is no .wav is simply not taken";
    // "追加" refuses the same way.
    answer = mp3;
    Click(Command5);
    EXPECT_EQ(told.size(), 2u);
    EXPECT_EQ(Rows(List2).size(), 4u);
    Drop({folder.Sound(L"elsewhere.wav")}, Middleof(List1));
    EXPECT_EQ(Rows(List2).size(), 4u);
}

TEST_F(Editing, ADroppedFolderAddsTheWavFilesDirectlyInsideItInNameOrderUpToTheLimit)
{
    Scratchfolder dropped;
    for (const wchar_t* name : {L"b.wav", L"A.WAV", L"c.txt", L"音.wav"}) dropped.Sound(name);
    CreateDirectoryW(dropped.File(L"inner.wav").c_str(), nullptr);
    CreateDirectoryW(dropped.File(L"sub").c_str(), nullptr);
    dropped.Sound(L"sub\\deep.wav");
    Drop({dropped.path(), folder.File(L"a.wav")}, Middleof(List2));
    EXPECT_EQ(Rows(List2), (Rowlist{L"a.wav", L"b.wav", dropped.File(L"A.WAV"), dropped.File(L"b.wav"),
                                    dropped.File(L"音.wav"), folder.File(L"a.wav")}));
    // Up to the 101 sounds a list holds.
    Scratchfolder many;
    for (int k = 0; k < 120; ++k) many.Sound(L"s" + std::to_wstring(1000 + k) + L".wav");
    std::wstring told;
    messagehook = [&](HWND, const std::wstring& text, const std::wstring&, UINT) {
        told = text;
        return IDOK;
    };
    Drop({many.path()}, Middleof(List2));
    EXPECT_NE(told.find(L"25 個"), std::wstring::npos) << told.size();
    Rowlist rows = Rows(List2);
    ASSERT_EQ(rows.size(), 101u);
    EXPECT_EQ(rows[6], many.File(L"s1000.wav"));
    EXPECT_EQ(rows[100], many.File(L"s1094.wav"));
}

TEST_F(Editing, FilesThatAreMissingOrCannotPlayStayListedGreyAndAreNeverMadeCurrent)
{
    // A list file names them: nothing is taken from it behind the user's back.
    const std::wstring gone = folder.File(L"gone.wav"), truncated = folder.File(L"途中まで.wav");
    Writebytes(truncated, Wavebytes(16).substr(0, 30));
    for (const std::wstring& path : {gone, truncated})
        SendMessageW(Item(List2), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
    Ink present = Drawrow(Form1(), List2, 0);
    EXPECT_TRUE(present.windowtext);
    for (int row : {2, 3}) {
        SCOPED_TRACE(row);
        Ink grey = Drawrow(Form1(), List2, row);
        EXPECT_GT(grey.pixels, 0);
        EXPECT_FALSE(grey.windowtext) << "drawn grey";
        EXPECT_TRUE(grey.greytext);
        // "変更" refuses it, naming the file, and leaves the event's sound as it is.
        std::wstring told;
        messagehook = [&](HWND, const std::wstring& text, const std::wstring&, UINT) {
            told = text;
            return IDOK;
        };
        Selectsound(row);
        Click(Command7);
        EXPECT_NE(told.find(Rows(List2)[size_t(row)]), std::wstring::npos);
        EXPECT_EQ(Getregstr(HKEY_CURRENT_USER, defaultcurrent, L""), L"old.wav");
    }
    EXPECT_EQ(Rows(List2), (Rowlist{L"a.wav", L"b.wav", gone, truncated})) << "rows keep their text";
    // Event 0 has two sounds: bold; once its list is empty the same label takes less ink.
    Ink withsounds = Drawrow(Form1(), List1, 0);
    ASSERT_TRUE(Savedata(1, 0, {}));
    Ink without = Drawrow(Form1(), List1, 0);
    EXPECT_GT(withsounds.pixels, without.pixels);
    EXPECT_EQ(Rows(List1)[0], L"一般の警告音");
}

// Keys pressed on the real keyboard reach the window as a user's do; they take a moment.
void Settle()
{
    for (int k = 0; k < 10; ++k) {
        Pump();
        Sleep(15);
    }
}

TEST_F(Editing, EverythingTheMainWindowDoesHasItsKey)
{
    Showform1();
    ASSERT_TRUE(SetForegroundWindow(Form1()));
    std::mutex lock;
    Rowlist played;
    playerhook = [&](const std::wstring& path, const std::string&) {
        std::lock_guard<std::mutex> guard(lock);
        played.push_back(path);
    };
    Rowlist told;
    messagehook = [&](HWND, const std::wstring& text, const std::wstring&, UINT) {
        told.push_back(text);
        return IDOK;
    };
    SetFocus(Item(List2));
    Selectsound(0);
    Presskey(VK_DELETE);
    Settle();
    EXPECT_EQ(Rows(List2), Rowlist{L"b.wav"}) << "Delete removes the selected sound";

    Selectsound(0);
    Presskey(VK_RETURN);
    Settle();
    for (int tries = 0; tries < 100 && [&] { std::lock_guard<std::mutex> guard(lock); return played.empty(); }(); ++tries)
        Sleep(20);
    {
        std::lock_guard<std::mutex> guard(lock);
        EXPECT_EQ(played, Rowlist{L"b.wav"}) << "Enter plays the selected sound";
    }

    // Ctrl+V takes files copied in Explorer by the rules of a drop: a folder gives the sounds
    // directly inside it, a file that is no .wav is not taken, one that cannot play is named,
    // and the 102nd finds no room.
    Scratchfolder copied;
    for (int k = 100; k < 199; ++k) copied.Sound(L"s" + std::to_wstring(k) + L".wav");
    const std::wstring notes = folder.Sound(L"notes.txt"), broken = folder.File(L"broken.wav");
    Writebytes(broken, "RIFF....WAVE");
    const std::wstring fits = folder.Sound(L"101st.wav"), nofit = folder.Sound(L"102nd.wav");
    Copyfiles({copied.path(), notes, broken, fits, nofit});
    Presskey('V', true);
    Settle();
    Rowlist rows = Rows(List2);
    ASSERT_EQ(rows.size(), 101u);
    EXPECT_EQ(rows[1], copied.File(L"s100.wav"));
    EXPECT_EQ(rows[100], fits);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(broken), std::wstring::npos);
    EXPECT_NE(told[0].find(L"1 個のファイル"), std::wstring::npos);
    EXPECT_EQ(told[0].find(notes), std::wstring::npos);

    // Insert is "追加" anywhere in the window, while the list has room.
    Presskey(VK_INSERT);
    Settle();
    EXPECT_FALSE(asked.has_value()) << "the list is full";
    Selectsound(0);
    Presskey(VK_DELETE);
    Settle();
    SetFocus(Item(List1));
    answer = folder.Sound(L"inserted.wav");
    Presskey(VK_INSERT);
    Settle();
    EXPECT_TRUE(asked.has_value());
    EXPECT_EQ(Rows(List2).back(), answer);

    // F5 changes every sound now, from the saved lists.
    Setregstr(HKEY_CURRENT_USER, defaultcurrent, L"", L"old.wav");
    Presskey(VK_F5);
    Settle();
    std::wstring now = Getregstr(HKEY_CURRENT_USER, defaultcurrent, L"");
    EXPECT_TRUE(now == L"a.wav" || now == L"b.wav") << Toansi(now);

    // Esc goes back to the notification area: the window hides, the icon stays.
    Presskey(VK_ESCAPE);
    Settle();
    EXPECT_FALSE(IsWindowVisible(Form1()));
    EXPECT_TRUE(Iconpresent());
}

TEST_F(Editing, List2ScrollsToItsLongestPath)
{
    LRESULT before = SendMessageW(Item(List2), LB_GETHORIZONTALEXTENT, 0, 0);
    answer = folder.Sound(std::wstring(150, L'長') + L".wav");
    Click(Command5);
    LRESULT after = SendMessageW(Item(List2), LB_GETHORIZONTALEXTENT, 0, 0);
    RECT list{};
    GetClientRect(Item(List2), &list);
    EXPECT_GT(after, before);
    EXPECT_GT(after, list.right) << "wider than the list: the path can be scrolled to its end";
}

TEST_F(Editing, NothingChangesWhileNoEventIsShown)
{
    Pickapp(1);  // "空", an application without events
    for (int id : {Command5, Command6, Command7}) EXPECT_FALSE(Enabled(id)) << id;
    answer = L"C:\\x.wav";
    Click(Command5);
    Click(Command7);
    Drop({L"C:\\y.wav"}, Middleof(List2));
    EXPECT_TRUE(Rows(List2).empty());
    EXPECT_FALSE(asked.has_value());
    EXPECT_EQ(Enumregkeys(HKEY_CURRENT_USER, std::wstring(appsroot) + L"\\Empty"), -1);
    EXPECT_FALSE(Fileexists(folder.File(L"Empty-0.dat")));
    EXPECT_EQ(Count(L"listcountEmpty-0"), L"<none>");
    Pickapp(0);
    for (int id : {Command5, Command6, Command7}) EXPECT_TRUE(Enabled(id)) << id;
}

TEST_F(Editing, AListThatCannotBeSavedStaysShownWithItsEdits)
{
    answer = folder.Sound(L"kept.wav");
    Click(Command5);
    std::wstring told;
    messagehook = [&](HWND, const std::wstring& text, const std::wstring&, UINT) {
        told = text;
        return IDOK;
    };
    // The folder of the list files has gone away.
    listfolder = folder.File(L"gone");
    Pickevent(1);
    EXPECT_NE(told, L"");
    EXPECT_EQ(Rows(List2), (Rowlist{L"a.wav", L"b.wav", answer}));
    EXPECT_EQ(SendMessageW(Item(List1), LB_GETCURSEL, 0, 0), 0) << "event 0 is still the one shown";
    told.clear();
    Pickapp(2);
    EXPECT_NE(told, L"");
    EXPECT_EQ(SendMessageW(Item(Combo1), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(Rows(List2).size(), 3u);
    // Once the folder is back, the switch saves the edits.
    listfolder = folder.path();
    told.clear();
    Pickevent(1);
    EXPECT_EQ(told, L"");
    EXPECT_EQ(Readbytes(folder.File(L".Default-0.dat")), "a.wav\r\nb.wav\r\n" + Toansi(answer) + "\r\n");
}

TEST_F(Editing, OptionsOpenFromTheButtonAndTheMenuAndSwitchTheTimer)
{
    cinterval = 1;
    Click(Command1);
    HWND dialog = Form2();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), Form1());
    SetDlgItemTextW(dialog, form2::Text2, L"0");
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(form2::Command1, BN_CLICKED), 0);
    EXPECT_EQ(Form2(), nullptr);
    EXPECT_FALSE(Stoptimer1()) << "0 switches Timer1 off";

    popupmenuhook = [](HMENU, POINT) { return UINT(form3::moption); };
    Rightclicktray();
    dialog = Form2();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetDlgItemInt(dialog, form2::Text2, nullptr, TRUE), 0u);
    SetDlgItemTextW(dialog, form2::Text2, L"3");
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(form2::Command1, BN_CLICKED), 0);
    EXPECT_TRUE(Stoptimer1()) << "3 switches it on again";
    EXPECT_EQ(Getsetting(L"cinterval", L""), L"3");
}

}
