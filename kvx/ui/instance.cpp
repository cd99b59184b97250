#include "instance.h"

#include "form1.h"

#include <windows.h>
#include <commctrl.h>
#include <sddl.h>

#include <vector>

std::vector<BYTE> Usersid(HANDLE process)
{
    Kernelhandle token;
    if (!OpenProcessToken(process, TOKEN_QUERY, token.put())) return {};
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return {};
    PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    const BYTE* bytes = static_cast<const BYTE*>(sid);
    return std::vector<BYTE>(bytes, bytes + GetLengthSid(sid));
}

namespace {
std::wstring Usersidtext()
{
    std::vector<BYTE> sid = Usersid(GetCurrentProcess());
    LPWSTR text = nullptr;
    if (sid.empty() || !ConvertSidToStringSidW(reinterpret_cast<PSID>(sid.data()), &text)) return {};
    std::wstring words = text;
    LocalFree(text);
    return words;
}
}

std::wstring Instancename()
{
    return L"Local\\Kvx-" + Usersidtext();
}

namespace {
constexpr wchar_t windowsuffix[] = L"-window";
constexpr wchar_t closedsuffix[] = L"-closed";

// A manual-reset event of this user and session; both sides make it, whichever comes first.
Kernelhandle Namedevent(const std::wstring& name)
{
    return Kernelhandle(CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
}

// Kept for the program's life by the Kvx that announces its window.
Kernelhandle windowevent, closedevent;
HWND announced = nullptr;

void Markwindow(bool there)
{
    if (there) {
        ResetEvent(closedevent.get());
        SetEvent(windowevent.get());
    } else {
        ResetEvent(windowevent.get());
        SetEvent(closedevent.get());
    }
}

LRESULT CALLBACK Watchwindow(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id, DWORD_PTR)
{
    if (message != WM_NCDESTROY) return DefSubclassProc(window, message, wparam, lparam);
    RemoveWindowSubclass(window, Watchwindow, id);
    LRESULT result = DefSubclassProc(window, message, wparam, lparam);
    // Only after the window's own last message: its Kvx has saved the shown list by then.
    if (window == announced) {
        announced = nullptr;
        Markwindow(false);
    }
    return result;
}
}

Instancelock::Instancelock(const std::wstring& name) : name_(name), mutex_(CreateMutexW(nullptr, TRUE, name.c_str()))
{
    // Without a mutex nothing can be checked: run rather than refuse to start.
    owned_ = mutex_ && GetLastError() != ERROR_ALREADY_EXISTS;
    first_ = !mutex_ || owned_;
}

Instancelock::~Instancelock()
{
    // At once, not at the end of the thread: a start waiting for this Kvx's end goes on now.
    if (owned_) ReleaseMutex(mutex_.get());
}

void Instancelock::Awaitholder(DWORD limit)
{
    if (first_) return;
    Kernelhandle shown = Namedevent(name_ + windowsuffix);
    HANDLE waits[] = {mutex_.get(), shown.get()};
    ULONGLONG end = GetTickCount64() + limit;
    for (;;) {
        ULONGLONG now = GetTickCount64();
        DWORD got = WaitForMultipleObjects(shown ? 2 : 1, waits, FALSE, now < end ? DWORD(end - now) : 0);
        // Released, or left behind by a Kvx that ended: this start holds the lock now.
        if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED_0) {
            owned_ = first_ = true;
            return;
        }
        if (got != WAIT_OBJECT_0 + 1 || Runningkvx()) return;
        // Set by a Kvx that ended without taking it back: no window to hand over to.
        ResetEvent(shown.get());
    }
}

void Announcewindow(HWND window)
{
    if (!window) return;
    if (!windowevent) windowevent = Namedevent(Instancename() + windowsuffix);
    if (!closedevent) closedevent = Namedevent(Instancename() + closedsuffix);
    announced = window;
    SetWindowSubclass(window, Watchwindow, 0, 0);
    Markwindow(true);
}

bool Awaitwindowend(HWND window, DWORD process, DWORD limit)
{
    Kernelhandle ended(OpenProcess(SYNCHRONIZE, FALSE, process));
    Kernelhandle closed = Namedevent(Instancename() + closedsuffix);
    HANDLE waits[2];
    DWORD count = 0;
    if (ended) waits[count++] = ended.get();
    if (closed) waits[count++] = closed.get();
    if (count == 0 || !IsWindow(window)) return !IsWindow(window);
    // The window is gone once its process has ended, or its last message has been handled (the
    // handle itself goes a moment later).
    DWORD got = WaitForMultipleObjects(count, waits, FALSE, limit);
    return got < WAIT_OBJECT_0 + count || !IsWindow(window);
}

HWND Runningkvx()
{
    return FindWindowW(form1class, form1caption);
}

void Wakefirst()
{
    HWND first = Runningkvx();
    if (!first) return;
    DWORD process = 0;
    GetWindowThreadProcessId(first, &process);
    // The running Kvx may then bring its window to the front.
    AllowSetForegroundWindow(process);
    PostMessageW(first, RegisterWindowMessageW(showform1message), 0, 0);
}
