// One Kvx per user session: a second start hands over to the first and ends.
#pragma once

#include "handles.h"

#include <windows.h>

#include <string>
#include <vector>

// The SID of the user a process runs as; empty when it cannot be read.
std::vector<BYTE> Usersid(HANDLE process);
// "Local\Kvx-<user SID>": per session through the Local namespace, per user through the SID.
std::wstring Instancename();

// Holds the named mutex while the program runs, owned by the thread that took it: a start that
// waits for this Kvx's end gets it then, or when the process ends without letting it go.
class Instancelock {
public:
    explicit Instancelock(const std::wstring& name = Instancename());
    ~Instancelock();
    Instancelock(const Instancelock&) = delete;
    Instancelock& operator=(const Instancelock&) = delete;
    // Whether this one holds the lock: no other holder existed when it was taken, or the holder
    // ended while Awaitholder waited.
    bool First() const { return first_; }
    // For a start that found the lock held by a Kvx without a window: waits until that Kvx's main
    // window is there (Announcewindow) or the Kvx has ended, which leaves the lock to this one;
    // limit milliseconds at most.
    void Awaitholder(DWORD limit);

private:
    std::wstring name_;
    Kernelhandle mutex_;
    bool first_ = false;
    bool owned_ = false;
};

// Tells starts that the main window of this Kvx is there, until it is destroyed: named events per
// user and session, "<instance>-window" set while the window exists and "<instance>-closed" once it
// has gone.
void Announcewindow(HWND window);
// Waits until the main window of the Kvx in process is gone: that Kvx destroyed it or ended. False
// when it is still there after limit milliseconds.
bool Awaitwindowend(HWND window, DWORD process, DWORD limit);

// The main window of the Kvx that runs in this session, or null.
HWND Runningkvx();
// Asks the Kvx that already runs to show its main window.
void Wakefirst();
