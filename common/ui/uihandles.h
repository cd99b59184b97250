// Owners for the handles of windows' resources: fonts and menus.
#pragma once

#include "handles.h"

#include <windows.h>

inline void Deletegdi(HGDIOBJ object) { DeleteObject(object); }
inline void Destroymenu(HMENU menu) { DestroyMenu(menu); }

using Fonthandle = Owned<HFONT, Deletegdi>;
using Menuhandle = Owned<HMENU, Destroymenu>;
