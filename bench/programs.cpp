#include "programs.h"

#include "floor.h"
#include "handles.h"
#include "timing.h"

#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <cwchar>

namespace {
// Generous: a slow start-up on a big tree is a result to report, not a failure.
constexpr double startuptimeoutms = 300000;
constexpr wchar_t windowclass[] = L"KvxBenchWindow";
constexpr UINT iconid = 1;

struct Program {
    std::wstring exe;
    std::wstring commandline;  // empty: none
    std::wstring folder;       // empty: the bench's own
    const wchar_t* iconwindow;  // the class of the window that owns the icon
    const wchar_t* closewindow; // the class of the window that ends the program on WM_CLOSE
};

// A program's icon is present exactly when the shell accepts a modification of it.
bool Iconpresent(const wchar_t* iconwindow)
{
    HWND window = FindWindowW(iconwindow, nullptr);
    if (!window) return false;
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    record.uID = iconid;
    record.uFlags = NIF_TIP;
    std::strcpy(record.szTip, "KVX");
    return Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

// The memory once the program has settled after its icon: what it learns then, in the
// background or from its message queue, is part of its start-up memory.
Memory Settledmemory(HANDLE process)
{
    constexpr double limitms = 60000;
    double began = Nowms();
    Memory last = Memoryof(process);
    for (;;) {
        Sleep(250);
        Memory now = Memoryof(process);
        if (now.privatemb == last.privatemb || Nowms() - began > limitms) return now;
        last = now;
    }
}

// Ends the program the way Windows asks a program to close, and waits for it: Kvx runs once per
// session, so the next start must find it gone.
void End(const Program& program, HANDLE process)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (HWND window = FindWindowW(program.closewindow, nullptr)) PostMessageW(window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process, 20000) == WAIT_OBJECT_0) return;
    }
    std::printf("  %ls did not end on WM_CLOSE: terminated\n", program.exe.c_str());
    TerminateProcess(process, 1);
    WaitForSingleObject(process, INFINITE);
}

std::optional<Started> Start(const Program& program)
{
    if (FindWindowW(program.closewindow, nullptr)) {
        std::printf("  another %ls is running: not measured\n", program.exe.c_str());
        return std::nullopt;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created{};
    std::wstring commandline = program.commandline;
    double start = Nowms();
    if (!CreateProcessW(program.exe.c_str(), commandline.empty() ? nullptr : commandline.data(), nullptr, nullptr,
                        FALSE, 0, nullptr, program.folder.empty() ? nullptr : program.folder.c_str(), &startup,
                        &created)) {
        std::printf("  cannot start %ls (error %lu)\n", program.exe.c_str(), GetLastError());
        return std::nullopt;
    }
    Kernelhandle process(created.hProcess);
    Kernelhandle thread(created.hThread);
    std::optional<Started> result;
    for (;;) {
        if (Iconpresent(program.iconwindow)) {
            double ms = Nowms() - start;
            result = Started{ms, Settledmemory(process.get())};
            break;
        }
        if (WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) {
            std::printf("  %ls ended before its icon appeared\n", program.exe.c_str());
            break;
        }
        if (Nowms() - start > startuptimeoutms) {
            std::printf("  no icon within %.0f s\n", startuptimeoutms / 1000);
            break;
        }
        // A look costs the system (under Wine, its one server) a request or two: every 10 ms that
        // is a load of about one in a hundred of the program's own, which the floor, measured in
        // this process, never has. Both programs are looked at alike, so the resolution's delay
        // cancels in their difference.
        Sleep(10);
    }
    End(program, process.get());
    return result;
}

std::wstring Self()
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return self;
}

}

Memory Memoryof(void* process)
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) return {};
    SIZE_T privatebytes = std::max(counters.PrivateUsage, counters.PagefileUsage);
    return {double(privatebytes) / 1048576.0, double(counters.WorkingSetSize) / 1048576.0};
}

bool Starts::Add(const std::optional<Started>& run)
{
    if (!run) return false;
    ms.push_back(run->ms);
    privatemb.push_back(run->memory.privatemb);
    workingsetmb.push_back(run->memory.workingsetmb);
    return true;
}

std::optional<Started> Startkvx(const std::wstring& folder)
{
    return Start({folder + L"\\Kvx.exe", {}, folder, L"KvxForm3", L"KvxForm1"});
}

std::optional<Started> Startwindowprogram(const std::wstring& folder)
{
    // Else beside this program, as the build puts it.
    std::wstring self = Self();
    std::wstring from = folder.empty() ? self.substr(0, self.rfind(L'\\')) : folder;
    return Start({from + L"\\kvxbenchwindow.exe", {}, folder, windowclass, windowclass});
}

std::optional<double> Measurefloormemory(const std::wstring& folder)
{
    std::wstring self = Self();
    std::wstring command = L"\"" + self + L"\" memfloor \"" + folder + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created{};
    if (!CreateProcessW(self.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &created))
        return std::nullopt;
    Kernelhandle process(created.hProcess);
    Kernelhandle thread(created.hThread);
    WaitForSingleObject(process.get(), INFINITE);
    DWORD kib = 0;
    if (!GetExitCodeProcess(process.get(), &kib)) return std::nullopt;
    return double(kib) / 1024.0;
}

int Memfloorchild(const std::wstring& folder)
{
    Memory before = Memoryof(GetCurrentProcess());
    Floortable table = Loadfloor(folder);
    Memory after = Memoryof(GetCurrentProcess());
    // The table must still be alive when the memory is read.
    volatile size_t held = table.apps.size();
    (void)held;
    return int(std::max(0.0, after.privatemb - before.privatemb) * 1024.0);
}
