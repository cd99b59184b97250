#include "instance.h"

#include "form1.h"

#include <windows.h>
#include <sddl.h>

#include <vector>

namespace {
std::wstring Usersid()
{
    Kernelhandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return {};
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return {};
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) return {};
    std::wstring sid = text;
    LocalFree(text);
    return sid;
}
}

std::wstring Instancename()
{
    return L"Local\\Kvx-" + Usersid();
}

Instancelock::Instancelock(const std::wstring& name) : mutex_(CreateMutexW(nullptr, FALSE, name.c_str()))
{
    // Without a mutex nothing can be checked: run rather than refuse to start.
    first_ = !mutex_ || GetLastError() != ERROR_ALREADY_EXISTS;
}

void Wakefirst()
{
    HWND first = FindWindowW(form1class, form1caption);
    if (!first) return;
    DWORD process = 0;
    GetWindowThreadProcessId(first, &process);
    // The running Kvx may then bring its window to the front.
    AllowSetForegroundWindow(process);
    PostMessageW(first, RegisterWindowMessageW(showform1message), 0, 0);
}
