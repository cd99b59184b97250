// Waiting for something without leaving the program's windows unanswered.
#pragma once

#include <windows.h>

// Waits until object is signalled or milliseconds have passed, handling the messages of the
// thread's windows meanwhile, so that the system never takes the program for hung. A WM_QUIT
// met on the way is posted again for the main loop and ends the wait. True when object was
// signalled.
bool Waitwithmessages(HANDLE object, DWORD milliseconds);
