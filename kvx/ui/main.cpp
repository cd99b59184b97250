// Kvx's entry: one instance per user session, then the main window and its message loop.
// "Kvx.exe /restore" only puts the user's own sounds back (the uninstaller runs it) and ends;
// "Kvx.exe /logon" is the start with the session (the Run value), which plays the logon sound.
#include "form1.h"
#include "form2.h"
#include "form3.h"
#include "instance.h"
#include "listfiles.h"
#include "originals.h"
#include "text.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <string_view>

namespace {
// Whether the command line is the switch name, written /name or -name in any case.
bool Isswitch(const wchar_t* commandline, const wchar_t* name)
{
    std::wstring_view line = commandline ? commandline : L"";
    while (!line.empty() && line.front() == L' ') line.remove_prefix(1);
    while (!line.empty() && line.back() == L' ') line.remove_suffix(1);
    return line.size() > 1 && (line[0] == L'/' || line[0] == L'-') && Sametext(line.substr(1), name);
}
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandline, int)
{
    if (Isswitch(commandline, L"restore")) {
        // A Kvx still ending could write a sound meanwhile: wait for it to let go (10 s at most).
        for (int tries = 0; tries < 50; ++tries) {
            Instancelock alone;
            if (alone.First()) return Restoreoriginals().failed == 0 ? 0 : 1;
            Sleep(200);
        }
        return 2;
    }
    // Checked before anything is loaded, so a second start touches no list or count.
    Instancelock lock;
    if (!lock.First()) {
        Wakefirst();
        return 0;
    }
    // The folder picker of the options dialog needs COM on this thread.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    listfolder = Programfolder();
    // Asked early among the programs when the session ends, so that the logoff or shut-down
    // sound comes before other windows vanish.
    SetProcessShutdownParameters(0x3FF, 0);

    HWND form1 = Createform1(instance, Isswitch(commandline, L"logon"));
    if (!form1) return 1;
    MSG message;
    int result = 0;
    while ((result = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        // Tab, arrow and mnemonic keys move between the controls of the options dialog and of
        // the main window.
        HWND options = Form2();
        if (options && IsDialogMessageW(options, &message)) continue;
        HWND shown = Form1();
        if (shown && IsDialogMessageW(shown, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    Unloadform3();
    if (SUCCEEDED(com)) CoUninitialize();
    return result == 0 ? int(message.wParam) : 1;
}
