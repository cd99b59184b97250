// Kvx as a program: its command line, one instance per user session, then the main window and
// the message loop. wWinMain only calls Kvxmain; tests run it on a registry and folder of their own.
#pragma once

#include <windows.h>

#include "userfolders.h"

#include <string>

// Runs Kvx with the command line. Returns the exit code.
int Kvxmain(HINSTANCE instance, const std::wstring& commandline, const Kvxfolders& folders);
// The keyboard of Kvx's windows: Tab, arrows, Enter and Esc in the dialogs and the main window,
// and the main window's keys. True when msg was handled and must not be dispatched.
bool Kvxmessage(MSG& msg);
