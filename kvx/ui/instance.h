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

// Holds the named mutex while the program runs.
class Instancelock {
public:
    explicit Instancelock(const std::wstring& name = Instancename());
    // Whether no other holder existed when this one was taken.
    bool First() const { return first_; }

private:
    Kernelhandle mutex_;
    bool first_ = false;
};

// Asks the Kvx that already runs to show its main window.
void Wakefirst();
