// Kvx's entry. "Kvx.exe /switch" drives a running Kvx from a script, or does the switch's work
// when none runs (Kvxmain); the uninstaller runs "Kvx.exe /restore".
#include "program.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandline, int)
{
    return Kvxmain(instance, commandline ? commandline : L"", Userfolders());
}
