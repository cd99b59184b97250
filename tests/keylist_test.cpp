#include "keylist.h"
#include "listbox.h"
#include "registry.h"
#include "scratch.h"

#include <gtest/gtest.h>

namespace {

const std::wstring root = std::wstring(appsroot) + L"\\";
const std::wstring labels = std::wstring(labelsroot) + L"\\";

class Keylists : public ::testing::Test {
protected:
    void SetUp() override
    {
        apps.clear();
        eventlabels = Keylist{};
    }
    void Readtree() { Loadtree(); }
    Scratchregistry scratch;
};

TEST_F(Keylists, ApplicationTextIsItsDefaultValueOrItsName)
{
    Putkey(root + L".Default\\Beep");
    Putvalue(root + L"Explorer", L"", L"エクスプローラー");
    Putkey(root + L"Explorer\\Navigating");
    Readtree();
    ASSERT_EQ(apps[0].last, 1);
    EXPECT_EQ(apps[0].path, root);
    EXPECT_EQ(apps[0].names, (std::vector<std::wstring>{L".Default", L"Explorer"}));
    EXPECT_EQ(apps[0].texts, (std::vector<std::wstring>{L".Default", L"エクスプローラー"}));
    EXPECT_EQ(apps[2].path, root + L"Explorer\\");
}

TEST_F(Keylists, LabelLookupIsExactAndCaseSensitive)
{
    Putvalue(labels + L"systemasterisk", L"", L"一般の警告");
    Putvalue(labels + L"SystemHand", L"", L"システム エラー");
    Putkey(labels + L"NoText");
    for (const wchar_t* event : {L"SystemAsterisk", L"SystemHand", L"NoText", L"Unknown"})
        Putkey(root + L"App\\" + event);
    Readtree();
    const Keylist& events = apps[1];
    ASSERT_EQ(events.last, 3);
    // Keys enumerate by name, ignoring case: labels NoText, systemasterisk, SystemHand;
    // events NoText, SystemAsterisk, SystemHand, Unknown.
    EXPECT_EQ(events.names[1], L"SystemAsterisk");
    EXPECT_EQ(events.labelidx, (std::vector<int16_t>{0, -1, 2, -1}));
    EXPECT_EQ(Eventtext(1, 1), L"SystemAsterisk");
    EXPECT_EQ(Eventtext(1, 2), L"システム エラー");
    EXPECT_EQ(Eventtext(1, 0), L"NoText");
    EXPECT_EQ(Eventtext(1, 3), L"Unknown");
    EXPECT_EQ(apps[0].labelidx, (std::vector<int16_t>{0}));
}

TEST_F(Keylists, ApplicationWithoutEventsKeepsAnEmptySlot)
{
    Putvalue(root + L"Aaa", L"", L"no events");
    Putkey(root + L"Bbb\\Open");
    Readtree();
    ASSERT_EQ(apps.size(), 3u);
    EXPECT_EQ(apps[1].last, -1);
    EXPECT_TRUE(apps[1].names.empty());
    EXPECT_EQ(apps[2].last, 0);
    EXPECT_EQ(Eventtext(1, 0), L"");
}

TEST_F(Keylists, MissingTreeGivesEmptyLists)
{
    Readtree();
    ASSERT_EQ(apps.size(), 1u);
    EXPECT_EQ(apps[0].last, -1);
    EXPECT_EQ(Appcount(), 0);
    EXPECT_EQ(eventlabels.last, -1);
    EXPECT_EQ(Findlabel(L"Anything"), -1);
}

TEST_F(Keylists, LoadkeysResizesAppsToEndAtTheSlot)
{
    Putkey(root + L"A\\E1");
    Putkey(root + L"B\\E1");
    Readtree();
    ASSERT_EQ(apps.size(), 3u);
    Loadkeys(0, appsroot);
    EXPECT_EQ(apps.size(), 1u);
    Loadkeys(1, root + L"Nowhere");
    ASSERT_EQ(apps.size(), 2u);
    EXPECT_EQ(apps[1].last, -1);
}

TEST_F(Keylists, ShoweventsFillsAListBoxInEventOrder)
{
    Putvalue(labels + L"Close", L"", L"閉じる");
    Putkey(root + L"App\\Close");
    Putkey(root + L"App\\Open");
    Readtree();
    HWND list = CreateWindowExW(0, L"LISTBOX", L"", WS_POPUP | LBS_NOTIFY, 0, 0, 100, 100, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(list, nullptr);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"stale"));
    Showevents(list, 1);
    ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
    wchar_t row[64];
    SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(row));
    EXPECT_STREQ(row, L"閉じる");
    SendMessageW(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(row));
    EXPECT_STREQ(row, L"Open");
    DestroyWindow(list);
}

}
