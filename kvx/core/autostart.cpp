#include "autostart.h"

#include "handles.h"
#include "programfolder.h"
#include "registry.h"
#include "text.h"

#include <windows.h>

std::wstring Runcommand()
{
    return L"\"" + Programpath() + L"\"";
}

bool Startswithwindows()
{
    for (const Regvalue& value : Getregvalues(HKEY_CURRENT_USER, runkey))
        if (Sametext(value.name, runvalue)) return Sametext(value.text, Runcommand());
    return false;
}

bool Setstartwithwindows(bool on)
{
    if (!on) return Deleteregvalue(HKEY_CURRENT_USER, runkey, runvalue);
    // Through the wide functions: the program may live in a folder the code page cannot spell.
    Regkey key;
    std::wstring command = Runcommand();
    return RegCreateKeyExW(HKEY_CURRENT_USER, runkey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) ==
               ERROR_SUCCESS &&
           RegSetValueExW(key.get(), runvalue, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                          DWORD((command.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}
