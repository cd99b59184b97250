// Kvx.exe's command line: one switch, /name or -name in any case, for scripts, shortcut keys and
// scheduled tasks. A running Kvx is handed the switch; without one, the switch is done here.
#pragma once

#include <cstdint>
#include <string>

enum class Switch : uint8_t { none, change, pause, resume, show, exit, restore, logon, unknown };

struct Commandline {
    Switch what = Switch::none;
    std::wstring text;  // as given, for the message about an unknown switch
};
// The switch of a command line; blanks around it do not count.
Commandline Parsecommandline(const std::wstring& line);

// Exit codes of Kvx.exe.
enum : int { exitdone = 0, exitfailed = 1, exitbadswitch = 2 };

// The message that lists the switches, for an unknown one.
std::wstring Switchhelp(const std::wstring& given);

// What a switch does when no Kvx runs: /change makes one pass over the lists in the list
// folder, /pause and /resume change the setting, /restore puts the user's own sounds back, /exit
// has nothing to do. Returns the exit code.
int Runwithoutkvx(Switch what);
