// A switch handed from a new Kvx.exe to the Kvx that runs in the session: WM_COPYDATA to its main
// window, answered with the exit code. Only a process of the same user in the same session is
// listened to.
#pragma once

#include "switches.h"

#include <windows.h>

#include <optional>

// Hands the switch (and its folder) to the running Kvx and returns its answer as an exit code;
// exitfailed when it cannot be reached or does not answer. For /exit it waits until that Kvx
// has ended.
int Handover(const Commandline& line);
// The switch a WM_COPYDATA carries; nothing when it is none of Kvx's, or comes from a process of
// another user or session, or from a window that is not the sending process's.
std::optional<Commandline> Receivedswitch(HWND sender, const COPYDATASTRUCT& data);

// What the message carries: the sending process and the switch, then the folder's characters
// and a NUL.
struct Handoverpacket {
    DWORD process;
    DWORD what;
};
inline constexpr ULONG_PTR handovertag = 0x4B565853;  // "KVXS"
