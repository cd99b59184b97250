// Kvx.exe as the tests run it: the real program, on a registry tree and a list folder of the
// test's own (imported sound sets go to its subfolder "sets", converted copies to "converted").
//   kvxchild <key standing for HKEY_CURRENT_USER> <list folder> [command line...]
// A message Kvx would show is appended to <list folder>\message.txt instead of waiting for a click.
#include "pickers.h"
#include "program.h"

#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) return 99;
    HKEY user = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, argv[1], 0, KEY_ALL_ACCESS, &user) != ERROR_SUCCESS) return 98;
    RegOverridePredefKey(HKEY_CURRENT_USER, user);
    const std::wstring folder = argv[2];
    messagehook = [folder](HWND, const std::wstring& text, const std::wstring&, UINT) {
        HANDLE file = CreateFileW((folder + L"\\message.txt").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, text.data(), DWORD(text.size() * sizeof(wchar_t)), &written, nullptr);
        CloseHandle(file);
        return IDOK;
    };
    // Kvx gets its command line as typed: the rest of this one, after three quoted or blank-ended words.
    std::wstring line = GetCommandLineW();
    size_t at = 0;
    for (int word = 0; word < 3; ++word) {
        at = line.find_first_not_of(L' ', at);
        if (at == std::wstring::npos) break;
        at = line[at] == L'"' ? line.find(L'"', at + 1) : line.find(L' ', at);
        if (at != std::wstring::npos && line[at] == L'"') ++at;
    }
    line = at == std::wstring::npos ? std::wstring() : line.substr(at);
    return Kvxmain(GetModuleHandleW(nullptr), line, {folder, folder + L"\\sets", folder + L"\\converted"});
}
