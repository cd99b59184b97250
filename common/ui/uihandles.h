// Owners for the handles of windows' resources: fonts, menus and key tables.
#pragma once

#include "handles.h"

#include <windows.h>

inline void Deletegdi(HGDIOBJ object) { DeleteObject(object); }
inline void Destroymenu(HMENU menu) { DestroyMenu(menu); }
inline void Destroyaccelerators(HACCEL table) { DestroyAcceleratorTable(table); }

using Fonthandle = Owned<HFONT, Deletegdi>;
using Menuhandle = Owned<HMENU, Destroymenu>;
using Acceleratorhandle = Owned<HACCEL, Destroyaccelerators>;
