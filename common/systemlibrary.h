// A system library's function looked up when it is first needed, rather than a library loaded
// with the program: each library loaded at start costs every start, and each is first looked for
// in the program's own folder, which holds a list file for every event.
#pragma once

#include <windows.h>

// The library from the system folder, loaded (it stays loaded); null when it is not there. Only
// the system folder is searched, so no file put beside the program is ever loaded in its place.
HMODULE Systemlibrary(const wchar_t* library);

// Null when the library or the function is missing.
template <typename Function>
Function Systemfunction(const wchar_t* library, const char* name)
{
    HMODULE module = Systemlibrary(library);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(module ? GetProcAddress(module, name) : nullptr));
}

// The calling thread in a COM apartment, through COM's library looked up on the first call: only
// a dialog, a file shown in Explorer or a sound converted needs it. A thread already in another
// apartment keeps that one: COM is there all the same, with nothing to leave.
enum class Comjoin { failed, joined, there };
Comjoin Joincom(DWORD model);
// Leaves the apartment a Joincom of this thread joined.
void Leavecom();
