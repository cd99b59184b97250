#include "autostart.h"

#include "programfolder.h"
#include "registry.h"
#include "text.h"

#include <windows.h>

namespace {
std::wstring Quotedprogram()
{
    return L"\"" + Programpath() + L"\"";
}
}

std::wstring Runcommand()
{
    return Quotedprogram() + L" /logon";
}

bool Startswithwindows()
{
    for (const Regvalue& value : Getregvalues(HKEY_CURRENT_USER, runkey))
        if (Sametext(value.name, runvalue)) {
            std::wstring command = value.data.Text();
            return Sametext(command, Runcommand()) || Sametext(command, Quotedprogram());
        }
    return false;
}

bool Setstartwithwindows(bool on)
{
    if (!on) return Deleteregvalue(HKEY_CURRENT_USER, runkey, runvalue);
    // The program may live in a folder the code page cannot spell: the value is written wide.
    return Setregstr(HKEY_CURRENT_USER, runkey, runvalue, Runcommand());
}
