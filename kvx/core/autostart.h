// Starting Kvx with Windows: the value "Kvx" under the user's Run key, naming this Kvx.exe in
// quotes and the switch /logon, which tells Kvx that the session begins (the same value the
// installer sets). Earlier versions wrote the path alone; that form still counts.
#pragma once

#include <string>

inline constexpr wchar_t runkey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t runvalue[] = L"Kvx";

// "<full path of this program>" /logon
std::wstring Runcommand();
// Whether Windows starts this Kvx.exe at logon (in either form).
bool Startswithwindows();
// Adds the Run value in its present form, or removes it; false when the registry refused.
bool Setstartwithwindows(bool on);
