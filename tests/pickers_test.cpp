// The real common dialogs of the system, driven from a second thread as a user would.
#include "pickers.h"
#include "scratch.h"
#include "text.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <atomic>
#include <thread>

namespace {

HWND Waitforwindow(const wchar_t* classname, const wchar_t* title)
{
    for (int tries = 0; tries < 500; ++tries) {
        if (HWND found = FindWindowW(classname, title)) return found;
        Sleep(20);
    }
    return nullptr;
}

HWND Findchild(HWND parent, int id, const wchar_t* classname)
{
    struct Search {
        int id;
        const wchar_t* classname;
        HWND found;
    } search{id, classname, nullptr};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t name[32];
            GetClassNameW(child, name, 32);
            if (GetDlgCtrlID(child) == s->id && lstrcmpiW(name, s->classname) == 0) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Plays the user at the open-file dialog: types a name (or nothing) and confirms or cancels.
class Dialoguser {
public:
    Dialoguser(const wchar_t* title, std::wstring typed, bool confirm)
        : thread_([this, title, typed, confirm] {
              HWND dialog = Waitforwindow(L"#32770", title);
              found_ = dialog != nullptr;
              if (!dialog) return;
              Sleep(100);
              if (!typed.empty()) {
                  HWND edit = Findchild(dialog, 0x47C, L"Edit");
                  if (!edit) edit = Findchild(dialog, 0x47C, L"ComboBox");
                  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
              }
              PostMessageW(dialog, WM_COMMAND, confirm ? IDOK : IDCANCEL, 0);
              // A refused name keeps the dialog open: cancel it then.
              for (int tries = 0; tries < 50 && IsWindow(dialog); ++tries) Sleep(20);
              if (IsWindow(dialog)) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
          })
    {
    }
    ~Dialoguser()
    {
        if (thread_.joinable()) thread_.join();
    }
    bool Found()
    {
        thread_.join();
        return found_;
    }

private:
    std::atomic<bool> found_{false};
    std::thread thread_;
};

class Openfile : public ::testing::Test {
protected:
    void SetUp() override
    {
        openfilehook = nullptr;
        Writebytes(folder.File(L"チャイム 1, 音.wav"), "RIFF");
    }
    Scratchfolder folder;
    const std::wstring title = L"サウンドファイルの追加";
    const std::wstring filter = std::wstring(L"Wavファイル") + L'\0' + L"*.wav";
};

TEST_F(Openfile, ChoosingAFileReturnsItsFullPath)
{
    const std::wstring chosen = folder.File(L"チャイム 1, 音.wav");
    Dialoguser user(title.c_str(), chosen, true);
    std::wstring result = Openfiledlg(nullptr, filter, folder.path(), title);
    ASSERT_TRUE(user.Found());
    EXPECT_EQ(result, chosen);
}

TEST_F(Openfile, CancelGivesTheEmptyText)
{
    Dialoguser user(title.c_str(), L"", false);
    EXPECT_EQ(Openfiledlg(nullptr, filter, folder.path(), title), L"");
    EXPECT_TRUE(user.Found());
}

TEST_F(Openfile, APathInAnyCharactersAsLongAsTheSystemTakesComesBackWhole)
{
    // Korean, accented Latin and an emoji, in folders deep enough for a MAX_PATH - 1 path.
    std::wstring deep = folder.path() + L"\\Beyoncé 😀";
    CreateDirectoryW(deep.c_str(), nullptr);
    while (deep.size() < 200) {
        deep += L"\\효과음 폴더";
        CreateDirectoryW(deep.c_str(), nullptr);
    }
    std::wstring chosen = deep + L"\\" + std::wstring(MAX_PATH - 1 - deep.size() - 5, L'소') + L".wav";
    ASSERT_EQ(chosen.size(), size_t(MAX_PATH - 1));
    Writebytes(chosen, "RIFF");
    ASSERT_TRUE(Fileexists(chosen));
    Dialoguser user(title.c_str(), chosen, true);
    EXPECT_EQ(Openfiledlg(nullptr, filter, folder.path(), title), chosen);
    EXPECT_TRUE(user.Found());
}

TEST(Browsefolder, CancelGivesTheEmptyTextOnAThreadThatHadNoCom)
{
    browsefolderhook = nullptr;
    std::thread user([] {
        // The picker's caption is the system's; the title argument is shown inside it.
        HWND dialog = Waitforwindow(L"#32770", nullptr);
        Sleep(100);
        if (dialog) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    // A thread of its own, never in COM: the picker joins it for the dialog it needs it for, and
    // the thread stays in that apartment.
    std::wstring chosen = L"?";
    APTTYPE before = APTTYPE_MAINSTA, after = APTTYPE_MTA;
    std::thread picker([&] {
        APTTYPEQUALIFIER qualifier = APTTYPEQUALIFIER_NONE;
        // A thread outside COM counts as in the implicit multithreaded one while such an apartment exists.
        if (CoGetApartmentType(&before, &qualifier) == CO_E_NOTINITIALIZED || qualifier == APTTYPEQUALIFIER_IMPLICIT_MTA)
            before = APTTYPE_CURRENT;
        chosen = Browsefolder(nullptr, L"ﾃﾞﾌｫﾙﾄのﾃﾞｨﾚｸﾄﾘの指定");
        if (FAILED(CoGetApartmentType(&after, &qualifier))) after = APTTYPE_CURRENT;
    });
    picker.join();
    user.join();
    EXPECT_EQ(chosen, L"");
    EXPECT_EQ(before, APTTYPE_CURRENT) << "the thread was in COM already";
    EXPECT_TRUE(after == APTTYPE_STA || after == APTTYPE_MAINSTA) << after;
}

TEST(Dropcombo, MakesTheListThirtyTwoItemsTallInPlaceAndOpensIt)
{
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 50, 50, 400, 300, nullptr, nullptr,
                                  nullptr, nullptr);
    HWND combo = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | WS_VSCROLL, 12, 20,
                                 300, 200, parent, nullptr, nullptr, nullptr);
    for (int row = 0; row < 40; ++row)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(row).c_str()));
    RECT before;
    GetWindowRect(combo, &before);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&before), 2);
    LRESULT itemheight = SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0);

    Dropcombo(parent, combo);

    EXPECT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
    SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    RECT dropped;
    SendMessageW(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&dropped), 2);
    EXPECT_EQ(dropped.left, before.left);
    EXPECT_EQ(dropped.top, before.top);
    EXPECT_EQ(dropped.right - dropped.left, before.right - before.left);
    // 32 item heights in all, closed box included: room for about thirty rows in the list.
    EXPECT_GE(dropped.bottom - dropped.top, 30 * itemheight);
    EXPECT_LE(dropped.bottom - dropped.top, 32 * itemheight);
    DestroyWindow(parent);
}

}
