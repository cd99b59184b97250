// Thin wrappers over the ANSI registry interface. Each call opens and closes its key, keeps no
// handle between calls, reports failure only through its result and never shows anything.
#pragma once

#include "handles.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Subkey names of the key most recently listed with success by Enumregkeys.
extern std::vector<std::wstring> keynames;

// The key open to read and write its values, created with every missing level when create is
// set; empty on failure (and for a missing key not to be created). result, when given, gets the
// system's answer (ERROR_FILE_NOT_FOUND for a missing key).
Regkey Openforupdate(HKEY root, const std::wstring& keypath, bool create, LONG* result = nullptr);

// A string value as stored: its text and its type, REG_SZ or REG_EXPAND_SZ (text with
// %variables%, as Windows keeps its own sounds).
struct Regtext {
    std::wstring text;
    DWORD type = REG_SZ;
};
// A value of an open key read exactly: the empty REG_SZ text when key is null or the value is
// missing; nothing when it cannot be read exactly (refused, not a string, over 1023 bytes).
std::optional<Regtext> Queryregtext(HKEY key, const std::wstring& valuename);
// Writes a value with the type it has.
bool Writeregtext(HKEY key, const std::wstring& valuename, const Regtext& value);
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
struct Regvalue {
    std::wstring name;
    std::wstring text;
    DWORD type;  // REG_SZ or REG_EXPAND_SZ
};
// The string values of a key; empty for a missing key.
std::vector<Regvalue> Getregvalues(HKEY root, const std::wstring& keypath);
// Removes a value; true when it is gone (also when it was never there).
bool Deleteregvalue(HKEY root, const std::wstring& keypath, const std::wstring& valuename);
// Whether the key exists. A key that cannot be opened for another reason counts as there.
bool Regkeyexists(HKEY root, const std::wstring& keypath);
// The text before its first NUL character.
std::wstring Cutnull(const std::wstring& text);
