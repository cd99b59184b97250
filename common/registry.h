// Thin wrappers over the ANSI registry interface. Each call opens and closes its key, keeps no
// handle between calls, reports failure only through its result and never shows anything.
#pragma once

#include "handles.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Subkey names of the key most recently listed with success by Enumregkeys.
extern std::vector<std::wstring> keynames;

// The key open to read and write its values, created with every missing level when create is
// set; empty on failure (and for a missing key not to be created).
Regkey Openforupdate(HKEY root, const std::wstring& keypath, bool create);
// The text of a value of an open key, or "" on any failure (as Getregstr).
std::wstring Readregstr(HKEY key, const std::wstring& valuename);
// Writes a REG_SZ value into an open key.
bool Writeregstr(HKEY key, const std::wstring& valuename, const std::wstring& data);

// The value's text, or "" on any failure (missing key or value, a value over 1023 bytes plus NUL).
std::wstring Getregstr(HKEY root, const std::wstring& keypath, const std::wstring& valuename);
// Writes a REG_SZ value, creating every missing level of the key path.
bool Setregstr(HKEY root, const std::wstring& keypath, const std::wstring& valuename, const std::wstring& data);
// Fills keynames(0..r) and returns r; -1 for a key that cannot be opened or has no subkeys, and
// then keynames is left as it was. A subkey whose name the ANSI code page cannot spell exactly is
// left out; one whose name takes 80 bytes or more in it ends the listing.
int32_t Enumregkeys(HKEY root, const std::wstring& keypath);
// The string values of a key as (name, text) pairs; empty for a missing key.
std::vector<std::pair<std::wstring, std::wstring>> Getregvalues(HKEY root, const std::wstring& keypath);
// Removes a value; true when it is gone (also when it was never there).
bool Deleteregvalue(HKEY root, const std::wstring& keypath, const std::wstring& valuename);
// Whether the key exists. A key that cannot be opened for another reason counts as there.
bool Regkeyexists(HKEY root, const std::wstring& keypath);
// The text before its first NUL character.
std::wstring Cutnull(const std::wstring& text);
