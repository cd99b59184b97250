// The running Kvx's conversions in the background: the copies missing at start-up, and those of
// any listed sound met later without its copy (added by an import, changed since), are made on a
// thread of their own, and the main window is told of each as it is done.
#pragma once

#include <windows.h>

// Removes the copies no list names and converts the listed sounds that lack theirs; window gets
// message (wParam 1 when a copy could not be written) after each sound.
void Startconversions(HWND window, UINT message);
// Stops the conversion under way, which leaves no file, and forgets the rest.
void Stopconversions();
