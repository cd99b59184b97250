// The programs the bench starts: the real Kvx.exe, a trivial window program with a notification
// icon (kvxbenchwindow.exe, the start every tray program pays) and the floor's memory child; each
// timed until its icon is present, with its memory once it has settled.
#pragma once

#include <optional>
#include <string>
#include <vector>

// Private bytes are the commit charge, which PagefileUsage reports too; Wine fills only that one
// (from the process's anonymous resident memory), not PrivateUsage.
struct Memory {
    double privatemb = 0;
    double workingsetmb = 0;
};
Memory Memoryof(void* process);

struct Started {
    double ms = 0;
    Memory memory;
};
struct Starts {
    std::vector<double> ms;
    std::vector<double> privatemb;
    std::vector<double> workingsetmb;
    bool Add(const std::optional<Started>& run);
};

// Kvx.exe in folder until its icon is present; then it is closed.
std::optional<Started> Startkvx(const std::wstring& folder);
// The trivial window program (kvxbenchwindow.exe) until its icon is present; then it is closed.
// Started from folder, where scripts/bench put a copy beside Kvx.exe, or, with none, from beside
// this program.
std::optional<Started> Startwindowprogram(const std::wstring& folder = {});

// The floor's memory in a fresh process of its own, so nothing this run allocated before skews
// it: the growth of private bytes while its table is held.
std::optional<double> Measurefloormemory(const std::wstring& folder);
// That process: the growth in KiB as its exit code.
int Memfloorchild(const std::wstring& folder);
