// Kvx.exe's command line: one switch, /name or -name in any case, for scripts, shortcut keys and
// scheduled tasks; /export and /import take a folder after it. A running Kvx is handed the
// switch; without one, the switch is done here.
#pragma once

#include <cstdint>
#include <string>

enum class Switch : uint8_t {
    none,
    change,
    pause,
    resume,
    show,
    exit,
    restore,
    logon,
    exportset,
    importset,
    unknown,  // or a switch without the folder it needs, or with one it does not take
};

struct Commandline {
    Switch what = Switch::none;
    std::wstring folder;  // of /export and /import, in full
    std::wstring text;    // as given, for the message about an unknown switch
};
// The switch of a command line and its folder, in quotes when it holds blanks; blanks around
// them do not count. A relative folder is taken from the current one.
Commandline Parsecommandline(const std::wstring& line);

// Exit codes of Kvx.exe.
enum : int { exitdone = 0, exitfailed = 1, exitbadswitch = 2 };

// The message that lists the switches, for an unknown one.
std::wstring Switchhelp(const std::wstring& given);
