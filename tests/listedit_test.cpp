#include "listedit.h"
#include "listfiles.h"
#include "pickers.h"
#include "registry.h"
#include "scratch.h"
#include "listbox.h"
#include "schemetable.h"
#include "settings.h"
#include "text.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

const std::wstring root = std::wstring(appsroot) + L"\\";


class Listedit : public ::testing::Test {
protected:
    void SetUp() override
    {
        listfolder = folder.path();
        defdir.clear();
        Putkey(root + L"App\\Close");
        Putvalue(root + L"App\\Open\\.Current", L"", L"before.wav");
        Buildtable();
        Loadalllists();
        curapp = 1;
        curevent = 1;  // Open
        list = CreateWindowExW(0, L"LISTBOX", L"", WS_POPUP | LBS_NOTIFY, 0, 0, 200, 200, nullptr, nullptr, nullptr,
                               nullptr);
        openfilehook = [this](const Openfilerequest& r) {
            asked = r;
            return answer;
        };
    }
    void TearDown() override
    {
        DestroyWindow(list);
        openfilehook = nullptr;
    }
    void Rows(const std::vector<std::wstring>& rows)
    {
        SendMessageW(list, LB_RESETCONTENT, 0, 0);
        for (const std::wstring& row : rows) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    }
    void Select(int row) { SendMessageW(list, LB_SETCURSEL, WPARAM(row), 0); }
    LRESULT Selected() { return SendMessageW(list, LB_GETCURSEL, 0, 0); }
    std::wstring Current() { return Getregstr(HKEY_CURRENT_USER, root + L"App\\Open\\.Current", L""); }

    Scratchregistry scratch;
    Scratchfolder folder;
    HWND list = nullptr;
    std::wstring answer;
    std::optional<Openfilerequest> asked;
};

TEST_F(Listedit, AddAsksForAWavFileInTheStartFolderAndAppends)
{
    Rows({L"a.wav", L"b.wav"});
    Select(0);
    answer = folder.Sound(L"new one.wav");
    Addsound(nullptr, list);
    ASSERT_TRUE(asked.has_value());
    // Every sound file first, then wave files alone, then everything.
    const std::wstring filter = asked->filter;
    EXPECT_EQ(filter.substr(0, filter.find(L'\0')), L"サウンド ファイル");
    for (const wchar_t* kind : {L"*.wav;", L"*.mp3;", L"*.m4a;", L"*.flac;", L"*.ogg;"})
        EXPECT_NE(filter.find(kind), std::wstring::npos) << Toansi(kind);
    EXPECT_TRUE(filter.ends_with(std::wstring(L"WAV ファイル\0*.wav\0すべてのファイル\0*.*", 27))) << Toansi(filter);
    EXPECT_EQ(asked->title, L"サウンドファイルの追加");
    EXPECT_EQ(asked->initialdir, folder.path()) << "the program folder when defdir is empty";
    EXPECT_EQ(Listrows(list), (std::vector<std::wstring>{L"a.wav", L"b.wav", answer}));
    EXPECT_EQ(Selected(), 0) << "the selection does not move";

    defdir = L"D:\\sounds";
    Addsound(nullptr, list);
    EXPECT_EQ(asked->initialdir, L"D:\\sounds");
    EXPECT_EQ(Listrows(list).size(), 4u) << "the same file twice gives two rows";

    answer.clear();  // cancelled
    Addsound(nullptr, list);
    EXPECT_EQ(Listrows(list).size(), 4u);
    EXPECT_EQ(Readbytes(folder.File(L"App-1.dat")), "") << "nothing is saved before Savedata";
}

TEST_F(Listedit, AListHoldsAtMost101Sounds)
{
    std::vector<std::wstring> rows;
    for (int k = 0; k < 100; ++k) rows.push_back(L"s" + std::to_wstring(k) + L".wav");
    Rows(rows);
    EXPECT_TRUE(Listhasroom(list));
    Additions additions = Appendsounds(list, {folder.Sound(L"last.wav"), folder.Sound(L"one too many.wav"),
                                              folder.File(L"gone.wav"), folder.Sound(L"two too many.wav")});
    EXPECT_EQ(additions.added, 1);
    EXPECT_EQ(additions.leftout, 2);
    EXPECT_EQ(additions.refused, (std::vector<Refusedsound>{{folder.File(L"gone.wav"), L"見つかりません"}}));
    EXPECT_FALSE(Listhasroom(list));
    asked.reset();
    answer = folder.Sound(L"x.wav");
    Addsound(nullptr, list);
    EXPECT_FALSE(asked.has_value()) << "a full list does not even open the dialog";
    EXPECT_EQ(Listrows(list).size(), 101u);
}

TEST_F(Listedit, RemoveTakesTheSelectedRowOnly)
{
    Rows({L"a.wav", L"before.wav", L"c.wav"});
    Removesound(list);
    EXPECT_EQ(Listrows(list).size(), 3u) << "no selection, no removal";
    Select(1);
    Removesound(list);
    EXPECT_EQ(Listrows(list), (std::vector<std::wstring>{L"a.wav", L"c.wav"}));
    EXPECT_EQ(Current(), L"before.wav") << "removing the current sound leaves the registry alone";
}

TEST_F(Listedit, ChangeWritesTheSelectedRowEvenBeforeItIsSaved)
{
    Rows({L"a.wav"});
    answer = folder.Sound(L"新しい.wav");
    Addsound(nullptr, list);
    EXPECT_EQ(Makecurrent(list), Outcome::nothing);
    EXPECT_EQ(Current(), L"before.wav") << "no selection writes nothing";
    Select(1);
    EXPECT_EQ(Makecurrent(list), Outcome::done);
    EXPECT_EQ(Current(), folder.File(L"新しい.wav"));
    EXPECT_EQ(Readbytes(folder.File(L"App-1.dat")), "") << "the list file learns of the row at the next save";
    Select(0);
    Removesound(list);
    Select(0);
    EXPECT_EQ(Makecurrent(list), Outcome::done);
    EXPECT_EQ(Current(), folder.File(L"新しい.wav"));
    // A .Current value the user may not change is a failure, not a change.
    Readonlykey lock(root + L"App\\Open\\.Current");
    Rows({folder.Sound(L"locked.wav")});
    Select(0);
    EXPECT_EQ(Makecurrent(list), Outcome::failed);
    EXPECT_EQ(Current(), folder.File(L"新しい.wav"));
}

TEST_F(Listedit, NothingChangesWhileNoEventIsShown)
{
    for (auto [app, event] : std::vector<std::pair<int16_t, int16_t>>{{0, 0}, {1, 5}, {2, 0}}) {
        curapp = app;
        curevent = event;
        Rows({L"a.wav"});
        Select(0);
        answer = folder.Sound(L"b.wav");
        asked.reset();
        Addsound(nullptr, list);
        EXPECT_FALSE(asked.has_value());
        EXPECT_EQ(Appendsounds(list, {answer}).added, 0);
        Removesound(list);
        EXPECT_EQ(Makecurrent(list), Outcome::nothing);
        EXPECT_EQ(Listrows(list), (std::vector<std::wstring>{L"a.wav"}));
    }
    EXPECT_EQ(Current(), L"before.wav");
}

TEST_F(Listedit, DroppedFilesGiveTheirWavFilesInOrder)
{
    HDROP drop = Makedrop({L"C:\\a.wav", L"C:\\readme.txt", L"C:\\한글.wav", L"D:\\音\\B.WAV", L"C:\\folder", L"C:\\x.wav.bak",
                           L"C:\\.wav"});
    EXPECT_EQ(Droppedsounds(drop),
              (std::vector<std::wstring>{L"C:\\a.wav", L"C:\\한글.wav", L"D:\\音\\B.WAV", L"C:\\.wav"}));
    GlobalFree(drop);
}

}
