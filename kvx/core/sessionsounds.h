// The sounds of logon, logoff and shut-down. Windows 8 and later no longer play them; Kvx, which
// runs for the whole session anyway, plays them there, and only there, so nothing sounds twice.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

enum class Sessionsound : uint8_t { logon, logoff, exit };

// How long an end of the session waits for its sound, in milliseconds (tests shorten it).
extern uint32_t sessionsoundlimit;

// Whether this Windows plays them itself (Windows 7). Read through the version the program's
// manifest lets the system report.
bool Windowsplayssessionsounds();
// Tests stand in for the system's version here.
extern std::optional<bool> windowsplayssessionhook;
// Whether Kvx plays them: where Windows does not, and while the setting sessionsounds is on.
bool Kvxplayssessionsounds();
// Whether event e of application a is one of them.
bool Issessionevent(int16_t a, int16_t e);

// The sound that an end of the session asks for, from the lParam of WM_QUERYENDSESSION; nothing
// when Kvx plays none: programs closed by an installer or the restart manager (the session goes
// on), a critical end, Windows 7, the setting off.
std::optional<Sessionsound> Endingsound(LPARAM reason);
// The file the event's .Current names now, %variables% expanded; a bare file name is looked for
// in Windows' Media folder, as Windows looks for its own sounds. Empty when there is none.
std::wstring Sessionsoundfile(Sessionsound which);
