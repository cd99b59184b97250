#include "program.h"

#include "form1.h"
#include "form2.h"
#include "commands.h"
#include "convertedcopies.h"
#include "form3.h"
#include "handover.h"
#include "instance.h"
#include "listfiles.h"
#include "pickers.h"
#include "soundsets.h"
#include "switches.h"

#include <commctrl.h>

namespace {
// A switch for the Kvx that runs with its window: the window is woken, or handed the switch.
int Tellrunningkvx(const Commandline& line)
{
    if (line.what == Switch::none || line.what == Switch::logon) {
        Wakefirst();
        return exitdone;
    }
    return Handover(line);
}

int Runkvx(HINSTANCE instance, Switch what)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    // Asked early among the programs when the session ends, so that the logoff or shut-down
    // sound comes before other windows vanish.
    SetProcessShutdownParameters(0x3FF, 0);
    int result = exitfailed;
    if (Createform1(instance, what == Switch::logon)) {
        if (what == Switch::show) Showform1();
        MSG message;
        int got = 0;
        while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
            if (Kvxmessage(message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        result = got == 0 ? int(message.wParam) : exitfailed;
    }
    Unloadform3();
    return result;
}
}

int Kvxmain(HINSTANCE instance, const std::wstring& commandline, const Kvxfolders& folders)
{
    listfolder = folders.lists;
    setsfolder = folders.sets;
    convertedfolder = folders.converted;
    Commandline line = Parsecommandline(commandline);
    if (line.what == Switch::unknown) {
        Showmessage(nullptr, Switchhelp(line.text), L"Kvx", MB_OK | MB_ICONWARNING);
        return exitbadswitch;
    }
    // Checked before anything is loaded, so a second start touches no list or count. A Kvx that
    // holds the lock without a window is starting, ending (the uninstaller closed it before its
    // /restore) or doing a switch's work alone: this one waits for its window or its end, 10 s at
    // most, so that neither a start nor a switch is lost.
    Instancelock lock;
    if (!lock.First() && !Runningkvx()) lock.Awaitholder(10000);
    if (!lock.First()) return Tellrunningkvx(line);
    switch (line.what) {
    case Switch::none:
    case Switch::show:
    case Switch::logon: return Runkvx(instance, line.what);
    default: return Runswitch(line);
    }
}

bool Kvxmessage(MSG& msg)
{
    HWND options = Form2();
    if (options && IsDialogMessageW(options, &msg)) return true;
    return Form1message(msg);
}
