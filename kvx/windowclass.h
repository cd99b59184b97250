// Window classes of Kvx's windows, all with the program's icon.
#pragma once

#include <windows.h>

// Registers a class; a second registration fails harmlessly and the class stays as first registered.
void Registerwindowclass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure);
// The program's icon at the small-icon size, shared: the system frees it.
HICON Smallicon(HINSTANCE instance);
