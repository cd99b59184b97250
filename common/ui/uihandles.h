// Owners for the handles of windows' resources: fonts, menus, key tables and device contexts.
#pragma once

#include "handles.h"

#include <windows.h>

inline void Deletegdi(HGDIOBJ object) { DeleteObject(object); }
inline void Destroymenu(HMENU menu) { DestroyMenu(menu); }
inline void Destroyaccelerators(HACCEL table) { DestroyAcceleratorTable(table); }
inline void Deletedc(HDC dc) { DeleteDC(dc); }

using Fonthandle = Owned<HFONT, Deletegdi>;
using Menuhandle = Owned<HMENU, Destroymenu>;
using Acceleratorhandle = Owned<HACCEL, Destroyaccelerators>;
// A device context of CreateCompatibleDC.
using Memorydc = Owned<HDC, Deletedc>;

// The device context of a window (of the screen for none), from GetDC; released to its window.
class Windowdc {
public:
    explicit Windowdc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~Windowdc()
    {
        if (dc_) ReleaseDC(window_, dc_);
    }
    Windowdc(const Windowdc&) = delete;
    Windowdc& operator=(const Windowdc&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context for a scope: what was selected before comes back at
// its end, so the context never keeps an object that may be deleted. Made after the context's
// owner, it ends before it.
class Selectedobject {
public:
    Selectedobject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc ? SelectObject(dc, object) : nullptr) {}
    ~Selectedobject()
    {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    Selectedobject(const Selectedobject&) = delete;
    Selectedobject& operator=(const Selectedobject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};
