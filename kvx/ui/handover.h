// A switch handed from a new Kvx.exe to the Kvx that runs in the session: WM_COPYDATA to its main
// window, answered with the exit code. Only a process of the same user in the same session is
// listened to, and only when it shows the running Kvx's secret, which that Kvx keeps in a named
// object that no other user may open.
#pragma once

#include "switches.h"

#include <windows.h>

#include <optional>

// Makes this Kvx's secret, once, and announces the main window to starts that wait for it; the
// main window does it before it listens.
void Publishhandover();
// The running Kvx's secret, as a process of its user may read it; false when it cannot be read.
bool Readhandoversecret(BYTE (&secret)[16]);
// Hands the switch (and its folder) to the running Kvx and returns its answer as an exit code;
// exitfailed when it cannot be reached or does not answer. For /exit it waits until that Kvx
// has ended.
int Handover(const Commandline& line);
// What the running Kvx answers for an exit code: the code marked as Kvx's, so that a window
// that only passes the message on (answering 0) is not taken for one that did the work.
LRESULT Handoveranswer(int code);
// The switch a WM_COPYDATA carries; nothing when it is none of Kvx's, or comes from a process of
// another user or session, or from a window that is not the sending process's.
std::optional<Commandline> Receivedswitch(HWND sender, const COPYDATASTRUCT& data);

// What the message carries: the sending process, the switch and the secret, then the folder's
// characters (a full path, for /export and /import) and a NUL.
struct Handoverpacket {
    DWORD process;
    DWORD what;
    BYTE secret[16];
};
inline constexpr ULONG_PTR handovertag = 0x4B565853;  // "KVXS"
