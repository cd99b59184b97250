// Kvx's commands, each written once with its id. The icon's menu, the main window's keys, a
// switch handed to the running Kvx and a switch run where no Kvx runs all run them from one
// table. A person may be asked and is told what came of it; a script is neither, and reads the
// exit code.
#pragma once

#include "form3.h"
#include "switches.h"

#include <windows.h>

#include <functional>
#include <span>
#include <string>

// How a command is run.
struct Invocation {
    HWND owner = nullptr;  // the window a person chose it from; null for a script
    bool on = true;        // for a setting: set it (true) or clear it
    std::wstring folder;   // a set's folder, given in full by a script; a person is asked for it
    bool Person() const { return owner != nullptr; }
};

struct Kvxcommand {
    UINT id;                         // the icon's menu item, and the key's command; 0: a separator
    const wchar_t* text;             // the menu's text
    Switch on;                       // the switch that runs it (that sets a setting); none: none
    Switch off;                      // the switch that clears the setting; none: none
    WORD key;                        // its key in the main window (a virtual key); 0: none
    int (*run)(const Invocation&);   // the exit code
    bool (*checked)();               // a setting's state, for the menu's check mark; null: none
    bool needslists;                 // where no Kvx runs, the lists are loaded first
};
// The table, in the order of the icon's menu.
std::span<const Kvxcommand> Kvxcommands();

// The icon's menu, from the table.
Trayactions Traymenu();
// A person's choice of the command id, from the menu or a key: a setting flips.
void Runforperson(UINT id);
// A switch for the running Kvx, handed over, or, with no main window, for a Kvx.exe that runs
// alone. Returns the exit code.
int Runswitch(const Commandline& line);
// While a command runs (its questions let messages through) no second one starts, a switch is
// answered exitfailed, and a close of the main window waits for its end.
bool Commandrunning();
void Closeaftercommand();
// Runs work that lets messages through (a dialog, a conversion) as a command runs: false, and
// nothing done, while another runs.
bool Runalone(const std::function<void()>& work);

// Tells a person; a script is told nothing.
void Tell(const Invocation& how, const std::wstring& text, UINT icon);
// Asks a person, who may cancel; a script's answer is yes.
bool Ask(const Invocation& how, const std::wstring& question, UINT buttons = MB_OKCANCEL);

// "終了" from the icon's menu or a close request to Form3.
void Endfromtray();
// The icon's tooltip anew: the interval and the next pass, or the pause.
void Updatetip();

// The sound-set commands (setcommands.cpp): a person picks the folder and sees the progress.
int Exportcommand(const Invocation& how);
int Importcommand(const Invocation& how);
