// Kvx.exe's switches, each with and without a Kvx running in the session: the running one is
// this test's own main window (holding the single-instance lock), and the started one the real
// program on the test's registry tree and folder (tests/kvxchild).
#include "changer.h"
#include "form1.h"
#include "handover.h"
#include "instance.h"
#include "keylist.h"
#include "kvxwindows.h"
#include "originals.h"
#include "registry.h"
#include "settings.h"
#include "soundsets.h"
#include "text.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <functional>

namespace {
using namespace form1;
using Rowlist = std::vector<std::wstring>;

const std::wstring defaultcurrent = Currentpath(L".Default", L".Default");

class Switches : public Kvxwindows {
protected:
    void SetUp() override
    {
        Kvxwindows::SetUp();
        Puttree(folder);
        // The user's own sound, recorded as Kvx's first change would record it.
        Putvalue(originalskey, L".Default\\.Default", L"mine.wav");
    }
    // Starts Kvx.exe with the command line and waits for its exit code, this thread's windows
    // answering meanwhile; -1 when it did not end.
    int Kvxexe(const std::wstring& line)
    {
        // This thread's main window answers meanwhile, and may end (/exit): Pump takes its quit.
        return Runprogram(Besidethistest(L"kvxchild.exe"),
                          L"\"" + scratch.keypath() + L"\" \"" + folder.path() + L"\" " + line, [] { Pump(); });
    }
    std::wstring Told() { return Fromwide(Readbytes(folder.File(L"message.txt"))); }
    static std::wstring Fromwide(const std::string& bytes)
    {
        if (bytes == "<missing>") return {};
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    }
    std::wstring Current() { return Getregstr(HKEY_CURRENT_USER, defaultcurrent, L""); }
};

TEST_F(Switches, EachSwitchWithAndWithoutARunningKvx)
{
    struct Case {
        const char* name;
        std::wstring line;
        int code;
        std::function<void(bool running)> check;  // the effect, on the registry and the windows
    };
    const std::vector<Case> cases = {
        {"/change: every sound now", L"/change", 0,
         [this](bool) { EXPECT_TRUE(Current() == L"a.wav" || Current() == L"b.wav") << Toansi(Current()); }},
        {"any case, - for /", L"-CHANGE", 0, [this](bool) { EXPECT_NE(Current(), L"old.wav"); }},
        {"/pause", L"/Pause", 0,
         [](bool running) {
             EXPECT_EQ(Getsetting(L"paused", L""), L"1");
             if (running) {
                 EXPECT_EQ(paused, 1);
             }
         }},
        {"/resume", L"/resume", 0,
         [](bool running) {
             EXPECT_EQ(Getsetting(L"paused", L""), L"0");
             if (running) {
                 EXPECT_EQ(paused, 0);
             }
         }},
        {"/restore: the user's own sounds, then a pause, without a question", L"/restore", 0,
         [this](bool running) {
             EXPECT_EQ(Current(), L"mine.wav");
             EXPECT_FALSE(Valueexists(originalskey, L".Default\\.Default"));
             EXPECT_EQ(Getsetting(L"paused", L""), running ? L"1" : L"");
         }},
        {"/exit: ends Kvx as 終了 does", L"/exit", 0,
         [](bool running) {
             if (running) {
                 EXPECT_EQ(Form1(), nullptr);
             }
         }},
        {"an unknown switch", L"/chnage", 2,
         [this](bool) {
             EXPECT_NE(Told().find(L"/chnage"), std::wstring::npos);
             EXPECT_NE(Told().find(L"/resume"), std::wstring::npos) << "the message lists the switches";
         }},
    };
    for (bool running : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << (running ? ", Kvx running" : ", no Kvx"));
            Putvalue(defaultcurrent, L"", L"old.wav");
            Putvalue(originalskey, L".Default\\.Default", L"mine.wav");
            Deleteregvalue(HKEY_CURRENT_USER, settingskey, L"paused");
            DeleteFileW(folder.File(L"message.txt").c_str());
            std::optional<Instancelock> lock;
            if (running) {
                lock.emplace();
                Start();
                paused = 0;
            }
            EXPECT_EQ(Kvxexe(c.line), c.code);
            Pump();
            c.check(running);
            if (running) {
                Unloadform1();
                Pump();
            }
        }
    }
}

TEST_F(Switches, SoundSetsFromTheCommandLineWithAndWithoutARunningKvx)
{
    // Where the started Kvx puts imported sets (tests/kvxchild), and so this one.
    setsfolder = folder.File(L"sets");
    Scratchfolder out;
    const std::wstring list = folder.File(L".Default-0.dat");
    for (bool running : {false, true}) {
        SCOPED_TRACE(running ? "Kvx running" : "no Kvx");
        const std::wstring target = out.File(running ? L"セット 2" : L"セット 1");
        std::optional<Instancelock> lock;
        if (running) {
            lock.emplace();
            Start();
        }
        EXPECT_EQ(Kvxexe(L"/export \"" + target + L"\""), 0);
        EXPECT_TRUE(Fileexists(target + L"\\kvxset.txt"));
        EXPECT_EQ(Kvxexe(L"/export \"" + target + L"\""), 1) << "a folder that is not empty";
        // The shown list emptied (in the window, or in its file), then the set read back in.
        if (running)
            SendMessageW(Item(List2), LB_RESETCONTENT, 0, 0);
        else
            Writebytes(list, "");
        EXPECT_EQ(Kvxexe(L"-IMPORT \"" + target + L"\""), 0);
        Rowlist rows;
        if (running) {
            rows = Rows(List2);
            Unloadform1();
            Pump();
        }
        std::string saved = Readbytes(list);
        EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 2);
        EXPECT_NE(saved.find(Toansi(setsfolder)), std::string::npos) << saved;
        if (running) {
            EXPECT_EQ(rows.size(), 2u) << "the running Kvx shows the list it got";
        }
    }
    // A switch without its folder, or with more than a folder, is no switch.
    for (const wchar_t* bad : {L"/export", L"/import \"a\" b", L"/change now"}) EXPECT_EQ(Kvxexe(bad), 2) << Toansi(bad);
}

TEST_F(Switches, ShowStartsKvxOrShowsTheRunningOne)
{
    // No Kvx: Kvx starts with its window in sight, and runs until it is ended.
    std::wstring program = Besidethistest(L"kvxchild.exe");
    std::wstring command = L"\"" + program + L"\" \"" + scratch.keypath() + L"\" \"" + folder.path() + L"\" /show";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    Kernelhandle thread(process.hThread), owned(process.hProcess);
    HWND started = nullptr;
    for (int tries = 0; tries < 250 && !(started && IsWindowVisible(started)); ++tries, Sleep(20))
        started = FindWindowW(form1class, form1caption);
    EXPECT_TRUE(started && IsWindowVisible(started));
    // A second start with a switch is handed to it.
    EXPECT_EQ(Kvxexe(L"/pause"), 0);
    EXPECT_EQ(Getsetting(L"paused", L""), L"1");
    EXPECT_EQ(Kvxexe(L"/exit"), 0);
    EXPECT_EQ(WaitForSingleObject(owned.get(), 10000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(owned.get(), &code);
    EXPECT_EQ(code, 0u);

    // A running Kvx shows its window.
    Instancelock lock;
    Start();
    EXPECT_FALSE(IsWindowVisible(Form1()));
    EXPECT_EQ(Kvxexe(L"/show"), 0);
    EXPECT_TRUE(IsWindowVisible(Form1()));
}

TEST_F(Switches, OnlyAProcessOfThisUserAndSessionThatKnowsTheSecretIsListenedTo)
{
    Start();
    Putvalue(defaultcurrent, L"", L"old.wav");
    HWND mine = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    BYTE secret[16] = {};
    ASSERT_TRUE(Readhandoversecret(secret)) << "the running Kvx keeps its secret where its user may read it";
    BYTE guessed[16] = {};
    // The message: the header, then the folder and its NUL.
    struct Packet {
        Handoverpacket header;
        wchar_t folder[4];
    };
    auto send = [](HWND sender, DWORD process, const BYTE* key, ULONG_PTR tag, Switch what = Switch::change,
                   const wchar_t* folder = L"", DWORD size = sizeof(Packet)) {
        Packet packet{{process, DWORD(what), {}}, {}};
        std::memcpy(packet.header.secret, key, 16);
        std::wcsncpy(packet.folder, folder, 3);
        COPYDATASTRUCT data{tag, size, &packet};
        return SendMessageW(Form1(), WM_COPYDATA, reinterpret_cast<WPARAM>(sender), reinterpret_cast<LPARAM>(&data));
    };
    const DWORD self = GetCurrentProcessId();
    struct Case {
        const char* name;
        LRESULT answer;
    };
    const Case cases[] = {
        {"a guessed secret", send(mine, self, guessed, handovertag)},
        {"a window that is not the named process's", send(mine, self + 4, secret, handovertag)},
        {"a process that does not exist", send(nullptr, 0xFFFFFFF0u, secret, handovertag)},
        {"no sending window", send(nullptr, self, secret, handovertag)},
        {"not Kvx's message", send(mine, self, secret, handovertag + 1)},
        {"a message cut short", send(mine, self, secret, handovertag, Switch::change, L"", sizeof(Handoverpacket))},
        {"a set's folder that is not a full path", send(mine, self, secret, handovertag, Switch::importset, L"x")},
    };
    for (const Case& c : cases) EXPECT_EQ(c.answer, 0) << c.name;
    EXPECT_EQ(Current(), L"old.wav") << "nothing done";
    // The same message from this process, by its own window, with the secret, is taken.
    EXPECT_EQ(send(mine, self, secret, handovertag), Handoveranswer(exitdone));
    EXPECT_NE(Current(), L"old.wav");
    DestroyWindow(mine);
}

}
