// Starting Kvx with Windows: the value "Kvx" under the user's Run key, naming this Kvx.exe in
// quotes (the same value the installer sets).
#pragma once

#include <string>

inline constexpr wchar_t runkey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t runvalue[] = L"Kvx";

// "<full path of this program>", in quotes.
std::wstring Runcommand();
// Whether Windows starts this Kvx.exe at logon.
bool Startswithwindows();
// Adds or removes the Run value; false when the registry refused.
bool Setstartwithwindows(bool on);
