// Paths in any characters, from a drop onto the main window to the sound Windows plays: each is
// taken through add, save and reload, pick, make current, preview and restore, and checked byte
// for byte in the list file and the registry.
#include "changer.h"
#include "form1.h"
#include "keylist.h"
#include "kvxwindows.h"
#include "listfiles.h"
#include "originals.h"
#include "player.h"
#include "registry.h"
#include "text.h"

#include <mutex>

namespace {
using namespace form1;
using Rowlist = std::vector<std::wstring>;

const std::wstring defaultcurrent = Currentpath(L".Default", L".Default");

// A string value's bytes as the registry keeps them: UTF-16 and one NUL.
std::string Utf16(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
}

class Soundpaths : public Kvxwindows {
protected:
    void SetUp() override
    {
        Kvxwindows::SetUp();
        Puttree(folder);
        playerhook = [this](const std::wstring&, const std::string& bytes) {
            std::lock_guard<std::mutex> guard(lock);
            previewed = bytes;
        };
    }

    // What the player got, once it got it.
    std::string Waitpreview()
    {
        for (int tries = 0; tries < 250; ++tries, Sleep(20)) {
            std::lock_guard<std::mutex> guard(lock);
            if (!previewed.empty()) return std::exchange(previewed, {});
        }
        return {};
    }

    std::mutex lock;
    std::string previewed;
};

TEST_F(Soundpaths, APathInAnyCharactersGoesFromADropToTheSoundWindowsPlays)
{
    struct Case {
        const char* name;
        std::wstring folder;
        std::wstring file;
        bool ansi;  // the code page spells it: the list stays ANSI, byte for byte as before
    };
    std::vector<Case> cases = {
        {"ASCII", L"ascii", L"chime.wav", true},
        {"Japanese", L"サウンド", L"ﾁｬｲﾑ 音①.wav", true},
        {"accented Latin", L"Beyoncé", L"Café crème.wav", false},
        {"Korean", L"효과음", L"소리.wav", false},
        {"an emoji", L"emoji", L"🔔 bell 😀.wav", false},
    };
    // The longest path the system takes: MAX_PATH - 1 characters, in folders of Korean names.
    Case longest{"MAX_PATH - 1 characters", L"효과음 폴더", L"", false};
    while (folder.path().size() + longest.folder.size() < 200) longest.folder += L"\\효과음 폴더";
    longest.file = std::wstring(MAX_PATH - 1 - folder.path().size() - longest.folder.size() - 2 - 4, L'소') + L".wav";
    cases.push_back(longest);

    const std::wstring capture = Soundcapture();
    const std::string sound = Wavebytes(4000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::wstring dir = folder.path();
        for (size_t at = 0; at != std::wstring::npos;) {
            size_t end = c.folder.find(L'\\', at);
            dir += L"\\" + c.folder.substr(at, end == std::wstring::npos ? end : end - at);
            CreateDirectoryW(dir.c_str(), nullptr);
            at = end == std::wstring::npos ? end : end + 1;
        }
        const std::wstring path = dir + L"\\" + c.file;
        if (&c == &cases.back()) {
            ASSERT_EQ(path.size(), size_t(MAX_PATH - 1));
        }
        Writebytes(path, sound);
        // The user's own sound, as Windows keeps its own, is recorded before the first change.
        const std::wstring own = L"%SystemRoot%\\Media\\" + c.file;
        Regkey key = Openforupdate(HKEY_CURRENT_USER, defaultcurrent, true);
        ASSERT_TRUE(Writeregdata(key.get(), L"", Stringdata(own, REG_EXPAND_SZ)));
        Writebytes(folder.File(L".Default-0.dat"), "");

        // Added by a drop, saved at the switch of event, read again at the next start.
        Start();
        Drop({path}, Middleof(List2));
        EXPECT_EQ(Rows(List2), Rowlist{path});
        Pickevent(1);
        EXPECT_EQ(Readbytes(folder.File(L".Default-0.dat")),
                  c.ansi ? Toansi(path) + "\r\n" : "\xEF\xBB\xBF" + Toutf8(path) + "\r\n");
        Unloadform1();
        Pump();
        Start();
        EXPECT_EQ(Rows(List2), Rowlist{path});

        // Picked by a pass, stored exactly.
        Changepass();
        EXPECT_EQ(Storedvalue(defaultcurrent, L""), std::pair(DWORD(REG_SZ), Utf16(path)));
        if (c.ansi) {
            EXPECT_EQ(Rawvalue(defaultcurrent, L""), Toansi(path) + '\0');
        }

        // Made current and shown.
        Setregstr(HKEY_CURRENT_USER, defaultcurrent, L"", L"other.wav");
        SendMessageW(Item(List2), LB_SETCURSEL, 0, 0);
        Click(Command7);
        EXPECT_EQ(Storedvalue(defaultcurrent, L""), std::pair(DWORD(REG_SZ), Utf16(path)));
        EXPECT_EQ(Text(regbox2), path);

        // Previewed: the file's own bytes reach the player.
        SendMessageW(Form1(), WM_COMMAND, MAKEWPARAM(List2, LBN_DBLCLK), reinterpret_cast<LPARAM>(Item(List2)));
        EXPECT_EQ(Waitpreview(), sound);

        // Windows' own lookup of the event plays it to its end. (Wine's reads a value of 127
        // characters at most.)
        if (!capture.empty() && path.size() < 128) {
            EXPECT_EQ(Runprogram(Besidethistest(L"aliasplayer.exe"), L"\"" + scratch.keypath() + L"\" .Default"), 0);
            EXPECT_EQ(Readbytes(capture).size(), sound.size() - 44) << "the whole sound was played";
        }

        // The user's own sound comes back exactly.
        EXPECT_EQ(Restoreoriginals().failed, 0);
        EXPECT_EQ(Storedvalue(defaultcurrent, L""), std::pair(DWORD(REG_EXPAND_SZ), Utf16(own)));
        Unloadform1();
        Pump();
    }
}

}
