#include "systemlibrary.h"

#include <objbase.h>

#include <string>

HMODULE Systemlibrary(const wchar_t* library)
{
    if (HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
    // Windows 7 without its update KB2533623 knows no search flags: the library is named by its
    // full path in the system folder instead, which is as safe.
    if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    wchar_t folder[MAX_PATH];
    UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    std::wstring path = std::wstring(folder, length) + L"\\" + library;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

Comjoin Joincom(DWORD model)
{
    static const auto join = Systemfunction<decltype(&CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
    HRESULT result = join ? join(nullptr, model) : E_NOTIMPL;
    if (SUCCEEDED(result)) return Comjoin::joined;
    return result == RPC_E_CHANGED_MODE ? Comjoin::there : Comjoin::failed;
}

void Leavecom()
{
    static const auto leave = Systemfunction<decltype(&CoUninitialize)>(L"ole32.dll", "CoUninitialize");
    if (leave) leave();
}
