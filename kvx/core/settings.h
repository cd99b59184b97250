// Kvx's per-user settings store: REG_SZ values under HKEY_CURRENT_USER\Software\Kvx\setting.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

inline constexpr wchar_t settingskey[] = L"Software\\Kvx\\setting";

// The stored text, or deflt when the value is missing or empty.
std::wstring Getsetting(const std::wstring& key, const std::wstring& deflt);
// False when the value could not be stored.
bool Savesetting(const std::wstring& key, const std::wstring& value);

// A decimal integer in -32768..32767 (blanks around it allowed), or nothing.
std::optional<int16_t> Parseint16(const std::wstring& text);

// The settings as the program holds them while it runs.
extern std::wstring defdir;
extern int16_t cinterval;
extern int16_t optval1;
// 1 while the changes are paused: no timer pass, no start-up pass. The interval stays as set.
extern int16_t paused;
// 1: a pass never gives an event the sound it has now when its list offers another.
extern int16_t norepeat;
// 1: Kvx plays the logon, logoff and shut-down sounds where Windows no longer does.
extern int16_t sessionsounds;

// Reads the settings into the globals; a value that is not a 16-bit decimal integer reads
// as its default. Returns whether Timer1 should run.
bool Loadsettings();
