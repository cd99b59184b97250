#include "instance.h"

#include "form1.h"

#include <windows.h>
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
