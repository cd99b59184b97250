// Folder entries: a folder listed for an event brings every sound directly in it as it holds them
// at each pass, each sound counted once beside the files; the sound list's context menu by mouse
// and keyboard; a folder dropped with and without Shift.
#include "changer.h"
#include "commands.h"
#include "folders.h"
#include "form1.h"
#include "keylist.h"
#include "kvxwindows.h"
#include "listbox.h"
#include "listfiles.h"
#include "pickers.h"
#include "player.h"
#include "registry.h"
#include "schemetable.h"
#include "settings.h"
#include "soundfolders.h"
#include "testsounds.h"
#include "text.h"

#include <map>
#include <set>

namespace {
using namespace form1;
using Rowlist = std::vector<std::wstring>;

class Folderentries : public Kvxwindows {
protected:
    void SetUp() override
    {
        Kvxwindows::SetUp();
        Forgetfolders();
        Puttree(folder);
        Start();
        norepeat = 0;
        chime = Folderentry(folder.File(L"チャイム"));
        Createfolders(chime);
        for (const wchar_t* name : {L"a.wav", L"b.wav", L"c.wav"}) Writebytes(chime + name, Wavebytes(16));
    }
    // Every sound Pickamong gives the entries in draws, by how often.
    static std::map<std::wstring, int> Draws(const Rowlist& entries, int draws)
    {
        std::map<std::wstring, int> seen;
        for (int k = 0; k < draws; ++k) ++seen[Pickamong(entries, L"")];
        return seen;
    }
    static std::set<std::wstring> Drawn(const Rowlist& entries)
    {
        std::set<std::wstring> sounds;
        for (const auto& [sound, count] : Draws(entries, 60)) sounds.insert(sound);
        return sounds;
    }
    std::wstring chime;
};

TEST_F(Folderentries, AListedFolderBringsTheSoundsItHoldsAtEachPass)
{
    const std::wstring single = folder.Sound(L"x.wav");
    ASSERT_TRUE(Savedata(1, 0, {single, chime}));
    Loaddata(1, 0);
    EXPECT_EQ(Savedsounds(1, 0), (Rowlist{single, chime})) << "saved and read back as a folder entry";
    const Rowlist entries = Savedsounds(1, 0);
    EXPECT_EQ(Drawn(entries), (std::set<std::wstring>{single, chime + L"a.wav", chime + L"b.wav", chime + L"c.wav"}));

    // Saved into the folder with Explorer: it joins at the next pass; removed: it leaves. Other
    // files and subfolders never count.
    Writebytes(chime + L"d.wav", Wavebytes(16));
    Writebytes(chime + L"notes.txt", "text");
    Createfolders(chime + L"sub.wav");
    ASSERT_TRUE(DeleteFileW((chime + L"a.wav").c_str()));
    EXPECT_EQ(Drawn(entries), (std::set<std::wstring>{single, chime + L"b.wav", chime + L"c.wav", chime + L"d.wav"}));
    EXPECT_EQ(Foldernote(*Listfolder(chime)), L" (3)");

    // Empty, missing, hostile: no sound, never a failure; the row says why.
    Scratchfolder empty;
    struct Case {
        std::wstring entry;
        std::wstring note;
    };
    const Case cases[] = {
        {Folderentry(empty.path()), L" (0)"},
        {folder.File(L"gone\\"), L"（見つかりません）"},
        {folder.File(L"..\\") , L"（. や .. を含むパスは使えません）"},
        {L"\\\\.\\C:\\", L"（フォルダーではありません）"},
        {folder.File(L"NUL\\"), L"（フォルダーではありません）"},
        {single + L"\\", L"（見つかりません）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Toutf8(c.entry));
        EXPECT_EQ(Foldernote(*Listfolder(c.entry)), c.note);
        EXPECT_EQ(Pickamong({c.entry}, L""), L"");
    }
    // A folder of more sounds than a listing takes: the rest left out, and the row says so.
    if (Soundsmade()) {
        std::shared_ptr<const Folderlisting> many = Listfolder(Folderentry(Soundsfolder() + L"\\many"));
        EXPECT_EQ(many->names.size(), maxfoldersounds);
        EXPECT_TRUE(many->capped);
        EXPECT_EQ(many->names.front(), L"s00001.wav");
        EXPECT_NE(Foldernote(*many).find(L"10000 個を超える分"), std::wstring::npos);
    }
}

TEST_F(Folderentries, EverySoundIsPickedWithTheSameChanceAndCountsOnce)
{
    for (int k = 0; k < 17; ++k) Writebytes(chime + L"s" + std::to_wstring(k) + L".wav", Wavebytes(16));
    // 20 sounds in the folder and one file; a.wav listed on its own too counts once.
    const Rowlist entries = {folder.Sound(L"x.wav"), chime, chime + L"a.wav"};
    Seedrandom(12345);
    constexpr int each = 300;
    std::map<std::wstring, int> seen = Draws(entries, 21 * each);
    ASSERT_EQ(seen.size(), 21u);
    double chisquare = 0;
    for (const auto& [sound, count] : seen) chisquare += double(count - each) * (count - each) / each;
    // 20 degrees of freedom: above 45.3 one time in a thousand.
    EXPECT_LT(chisquare, 45.3);
}

TEST_F(Folderentries, TheContextMenuByMouseAndKeyboardAndFoldersDroppedWithAndWithoutShift)
{
    Showform1();
    Pickevent(0);
    std::vector<Rowlist> menus;
    UINT choose = 0;
    popupmenuhook = [&](HMENU popup, POINT) {
        Rowlist items;
        for (int k = 0; k < GetMenuItemCount(popup); ++k) {
            wchar_t text[64] = {};
            GetMenuStringW(popup, UINT(k), text, 64, MF_BYPOSITION);
            UINT state = GetMenuState(popup, UINT(k), MF_BYPOSITION);
            items.push_back(state & MF_SEPARATOR ? L"|" : std::wstring(text) + (state & MF_GRAYED ? L" -" : L""));
        }
        menus.push_back(items);
        return std::exchange(choose, 0u);
    };
    auto rightclick = [&](int row, UINT item) {
        RECT place{};
        SendMessageW(Item(List2), LB_GETITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&place));
        POINT at{place.left + 4, place.top + 2};
        ClientToScreen(Item(List2), &at);
        choose = item;
        SendMessageW(Form1(), WM_CONTEXTMENU, WPARAM(Item(List2)), MAKELPARAM(at.x, at.y));
        Pump();
    };
    // Shift+F10 and the context-menu key, as the list box reports them.
    auto fromkeyboard = [&](UINT item) {
        choose = item;
        SendMessageW(Form1(), WM_CONTEXTMENU, WPARAM(Item(List2)), LPARAM(-1));
        Pump();
    };

    // "フォルダーを追加..." lists the folder once; it shows its sounds' count.
    browsefolderhook = [&](HWND, const std::wstring&) { return chime.substr(0, chime.size() - 1); };
    fromkeyboard(mAddfolder);
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0], (Rowlist{L"サウンドを追加...", L"フォルダーを追加...", L"|", L"再生 -", L"変更 -", L"削除 -", L"|",
                                 L"エクスプローラーで表示 -"}))
        << "no row selected: the items of a row are grey";
    EXPECT_EQ(Rows(List2), (Rowlist{L"a.wav", L"b.wav", chime}));
    std::wstring told;
    messagehook = [&](HWND, const std::wstring& text, const std::wstring&, UINT) {
        told += text;
        return IDOK;
    };
    // The context-menu key on the real keyboard.
    ASSERT_TRUE(SetForegroundWindow(Form1()));
    SetFocus(Item(List2));
    choose = mAddfolder;
    Presskey(VK_APPS);
    for (int k = 0; k < 10; ++k, Sleep(15)) Pump();
    EXPECT_EQ(menus.size(), 2u) << "the key opens the menu";
    EXPECT_NE(told.find(L"すでにリストにあります"), std::wstring::npos);
    EXPECT_EQ(Rows(List2).size(), 3u);

    // A right click selects the row under it; the folder row plays and makes current one of its
    // sounds, and shows its place.
    std::mutex lock;
    Rowlist played;
    playerhook = [&](const std::wstring& path, const std::string&) {
        std::lock_guard hold(lock);
        played.push_back(path);
    };
    rightclick(2, mPlay);
    EXPECT_EQ(SendMessageW(Item(List2), LB_GETCURSEL, 0, 0), 2);
    for (int tries = 0; tries < 100 && [&] { std::lock_guard hold(lock); return played.empty(); }(); ++tries) Sleep(20);
    {
        std::lock_guard hold(lock);
        ASSERT_EQ(played.size(), 1u);
        EXPECT_TRUE(played[0].starts_with(chime)) << Toutf8(played[0]);
    }
    rightclick(2, mChange);
    std::wstring current = Getregstr(HKEY_CURRENT_USER, Currentpath(L".Default", L".Default"), L"");
    EXPECT_TRUE(current.starts_with(chime)) << Toutf8(current);
    EXPECT_EQ(Text(regbox2), current);
    std::wstring shown;
    explorerhook = [&](const std::wstring& path) { shown = path; };
    rightclick(2, mShowinexplorer);
    EXPECT_EQ(shown, chime);
    rightclick(0, mRemove);
    EXPECT_EQ(Rows(List2), (Rowlist{L"b.wav", chime}));
    explorerhook = nullptr;

    // A folder dropped adds the sounds in it; with Shift held, the folder itself.
    Scratchfolder other;
    other.Sound(L"o1.wav");
    other.Sound(L"o2.wav");
    Drop({other.path()}, Middleof(List2));
    EXPECT_EQ(Rows(List2), (Rowlist{L"b.wav", chime, other.File(L"o1.wav"), other.File(L"o2.wav")}));
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    Drop({other.path()}, Middleof(List2));
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(Rows(List2).back(), Folderentry(other.path()));
    messagehook = nullptr;
    browsefolderhook = nullptr;
}
}
