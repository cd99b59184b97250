// The sounds of logon, logoff and shut-down, which Kvx plays where Windows no longer does: the
// end of the session as Windows announces it to the running main window, and the start at logon.
#include "form1.h"
#include "form2.h"
#include "kvxwindows.h"
#include "player.h"
#include "registry.h"
#include "keylist.h"
#include "listfiles.h"
#include "pickers.h"
#include "sessionsounds.h"
#include "settings.h"
#include "text.h"

#include <atomic>
#include <mutex>

namespace {
using namespace form1;
using Rowlist = std::vector<std::wstring>;

// In name order the events of .Default are: 0 .Default, 1 Open, 2 SystemExit, 3 SystemHand,
// 4 Unlabelled, 5 WindowsLogoff, 6 WindowsLogon.
constexpr int systemexit = 2, windowslogon = 6;

class Sessionsounds : public Kvxwindows {
protected:
    void SetUp() override
    {
        Kvxwindows::SetUp();
        Puttree(folder);
        windowsplayssessionhook = false;
        Putvalue(Currentpath(L".Default", L"WindowsLogoff"), L"", folder.Sound(L"logoff.wav"));
        Putvalue(std::wstring(labelsroot) + L"\\WindowsLogon", L"", L"Windows ログオン");
        Putvalue(Currentpath(L".Default", L"WindowsLogon"), L"", folder.Sound(L"logon.wav"));
        // As Windows keeps its own sounds: a %variable% path of type REG_EXPAND_SZ.
        folder.Sound(L"終了 😀.wav");
        SetEnvironmentVariableW(L"KVXTESTSOUNDS", folder.path().c_str());
        Regkey key = Openforupdate(HKEY_CURRENT_USER, Currentpath(L".Default", L"SystemExit"), true);
        Writeregdata(key.get(), L"", Stringdata(L"%KVXTESTSOUNDS%\\終了 😀.wav", REG_EXPAND_SZ));
        playerhook = [this](const std::wstring& path, const std::string&) {
            {
                std::lock_guard<std::mutex> guard(lock);
                played.push_back(path);
            }
            if (whileplaying) whileplaying();
        };
    }
    void TearDown() override
    {
        Kvxwindows::TearDown();
        windowsplayssessionhook.reset();
        sessionsoundlimit = 10000;
        sessionsounds = 1;
    }
    LRESULT Queryend(LPARAM reason) { return SendMessageW(Form1(), WM_QUERYENDSESSION, 0, reason); }
    Rowlist Played()
    {
        std::lock_guard<std::mutex> guard(lock);
        return std::exchange(played, {});
    }

    std::mutex lock;
    Rowlist played;
    std::function<void()> whileplaying;
};

TEST_F(Sessionsounds, TheEndOfTheSessionPlaysTheSoundItsReasonAsksFor)
{
    const std::wstring logoff = folder.File(L"logoff.wav"), exit = folder.File(L"終了 😀.wav");
    struct Case {
        const char* name;
        LPARAM reason;
        bool windows7;
        int16_t setting;
        Rowlist heard;
    };
    const std::vector<Case> cases = {
        {"logoff", ENDSESSION_LOGOFF, false, 1, {logoff}},
        {"shut-down or restart", 0, false, 1, {exit}},
        {"an installer closes programs", ENDSESSION_CLOSEAPP, false, 1, {}},
        {"the restart manager at logoff", ENDSESSION_CLOSEAPP | ENDSESSION_LOGOFF, false, 1, {}},
        {"a critical end", ENDSESSION_CRITICAL, false, 1, {}},
        {"a critical logoff", ENDSESSION_CRITICAL | ENDSESSION_LOGOFF, false, 1, {}},
        {"the setting off", ENDSESSION_LOGOFF, false, 0, {}},
        {"Windows 7 plays them itself", 0, true, 1, {}},
    };
    Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        windowsplayssessionhook = c.windows7;
        sessionsounds = c.setting;
        EXPECT_EQ(Queryend(c.reason), TRUE) << "Kvx never holds the session back";
        EXPECT_EQ(Played(), c.heard);
    }
    // No sound at all: the event's value empty, or naming a file that cannot play.
    windowsplayssessionhook = false;
    sessionsounds = 1;
    Putvalue(Currentpath(L".Default", L"WindowsLogoff"), L"", L"");
    EXPECT_EQ(Queryend(ENDSESSION_LOGOFF), TRUE);
    Writebytes(folder.File(L"broken.wav"), "RIFF");
    Putvalue(Currentpath(L".Default", L"WindowsLogoff"), L"", folder.File(L"broken.wav"));
    EXPECT_EQ(Queryend(ENDSESSION_LOGOFF), TRUE);
    EXPECT_EQ(Played(), Rowlist{});
}

TEST_F(Sessionsounds, TheAnswerWaitsForTheSoundWhileTheWindowsKeepAnswering)
{
    Start();
    std::atomic<bool> answered{false}, ended{false};
    whileplaying = [&] {
        // The main window must answer while Windows waits for Kvx.
        DWORD_PTR result = 0;
        answered = SendMessageTimeoutW(Form1(), WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 3000, &result) != 0;
        Sleep(200);
        ended = true;
    };
    // An edit of the shown list is saved before the sound: the user may end the session before
    // the answer, and then no WM_ENDSESSION comes.
    SendMessageW(Item(List2), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"edit.wav"));
    EXPECT_EQ(Queryend(ENDSESSION_LOGOFF), TRUE);
    EXPECT_TRUE(ended) << "answered before the sound had ended";
    EXPECT_TRUE(answered) << "the window did not answer while the sound played";
    EXPECT_EQ(Played(), Rowlist{folder.File(L"logoff.wav")});
    EXPECT_EQ(Readbytes(folder.File(L".Default-0.dat")), "a.wav\r\nb.wav\r\nedit.wav\r\n");
}

TEST_F(Sessionsounds, WithTheSystemsPlayerTheAnswerComesAtTheSoundsEnd)
{
    const std::wstring capture = Soundcapture();
    if (capture.empty()) GTEST_SKIP() << "no capture of the sound output (scripts/test sets one up)";
    playerhook = nullptr;
    // A second of sound, which the player here may play faster than that: its end is when all of
    // it has reached the output, not a time.
    const std::string sound = Wavebytes(8000);
    Writebytes(folder.File(L"logoff.wav"), sound);
    Start();
    EXPECT_EQ(Queryend(ENDSESSION_LOGOFF), TRUE);
    EXPECT_EQ(Readbytes(capture).size(), sound.size() - 44) << "answered before the whole sound was played";
}

TEST_F(Sessionsounds, ASoundLongerThanTheTimeGivenIsNotWaitedFor)
{
    Start();
    sessionsoundlimit = 300;
    Kernelhandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    Kernelhandle finished(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    whileplaying = [&] {
        WaitForSingleObject(release.get(), 10000);
        SetEvent(finished.get());
    };
    ULONGLONG began = GetTickCount64();
    EXPECT_EQ(Queryend(0), TRUE);
    ULONGLONG waited = GetTickCount64() - began;
    EXPECT_EQ(WaitForSingleObject(finished.get(), 0), DWORD(WAIT_TIMEOUT)) << "the sound was still playing";
    EXPECT_GE(waited, 250u);
    SetEvent(release.get());
    WaitForSingleObject(finished.get(), 10000);
}

TEST_F(Sessionsounds, NothingPlaysWhileKvxEndsForAnotherReason)
{
    Start();
    // The shown list cannot be saved, so the end waits on a message; Windows asks meanwhile.
    SendMessageW(Item(List2), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(folder.Sound(L"edit.wav").c_str()));
    listfolder = folder.File(L"gone");
    std::optional<LRESULT> answer;
    messagehook = [&](HWND, const std::wstring&, const std::wstring&, UINT) {
        answer = Queryend(ENDSESSION_LOGOFF);
        return IDOK;
    };
    Click(Command4);
    EXPECT_EQ(answer, std::optional<LRESULT>(TRUE));
    EXPECT_EQ(Played(), Rowlist{});
}

TEST_F(Sessionsounds, AtLogonTheSoundJustPickedPlaysOnceAndOnlyThen)
{
    // WindowsLogon has a list and the start-up pass picks from it.
    Writebytes(folder.File(L".Default-" + std::to_wstring(windowslogon) + L".dat"), "fresh1.wav\r\nfresh2.wav\r\n");
    folder.Sound(L"fresh1.wav");
    folder.Sound(L"fresh2.wav");
    Savesetting(L"optval1", L"1");
    Kernelhandle heard(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    whileplaying = [&] { SetEvent(heard.get()); };
    ASSERT_NE(Createform1(GetModuleHandleW(nullptr), true), nullptr);
    ASSERT_EQ(WaitForSingleObject(heard.get(), 5000), WAIT_OBJECT_0);
    std::wstring picked = Getregstr(HKEY_CURRENT_USER, Currentpath(L".Default", L"WindowsLogon"), L"");
    EXPECT_TRUE(picked == L"fresh1.wav" || picked == L"fresh2.wav") << Toansi(picked);
    EXPECT_EQ(Played(), Rowlist{picked});
    Unloadform1();
    Pump();
    // A start that is not the logon, or a logon on Windows 7, plays nothing.
    for (auto [logon, windows7] : {std::pair{false, false}, std::pair{true, true}}) {
        windowsplayssessionhook = windows7;
        ResetEvent(heard.get());
        ASSERT_NE(Createform1(GetModuleHandleW(nullptr), logon), nullptr);
        EXPECT_EQ(WaitForSingleObject(heard.get(), 300), DWORD(WAIT_TIMEOUT));
        Unloadform1();
        Pump();
    }
    EXPECT_EQ(Played(), Rowlist{});
}

TEST_F(Sessionsounds, TheirRowsCarryAMarkAndTheFrameSaysWhoPlaysThem)
{
    Start();
    Showform1();
    EXPECT_EQ(Rows(List1)[windowslogon], L"Windows ログオン") << "the mark is drawn, not written";
    Ink marked = Drawrow(Form1(), List1, windowslogon);
    Pickevent(windowslogon);
    EXPECT_EQ(Text(Frame1), L"現在のサウンド（このサウンドは Kvx が鳴らします）");
    // Switched off in the options dialog, the frame says that nobody plays it.
    Click(Command1);
    SendDlgItemMessageW(Form2(), form2::Check2, BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(Form2(), WM_COMMAND, MAKEWPARAM(form2::Command1, BN_CLICKED), 0);
    EXPECT_EQ(Getsetting(L"sessionsounds", L""), L"0");
    EXPECT_EQ(Text(Frame1), L"現在のサウンド（Windows 8 以降の Windows は鳴らしません）");
    Pickevent(1);
    EXPECT_EQ(Text(Frame1), L"現在のサウンド");
    // Windows 7 plays them itself: no mark, no note.
    windowsplayssessionhook = true;
    Ink unmarked = Drawrow(Form1(), List1, windowslogon);
    Pickevent(systemexit);
    EXPECT_EQ(Text(Frame1), L"現在のサウンド");
    EXPECT_GT(marked.pixels, unmarked.pixels) << "the same row, drawn with and without its mark";
}

}
