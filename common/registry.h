// Thin wrappers over the registry. Each call opens and closes its key, keeps no handle between
// calls, reports failure only through its result and never shows anything. Values are read and
// written through the wide interface, so a path in any characters is stored as it is; a text the
// ANSI code page spells is stored exactly as the ANSI interface stored it.
#pragma once

#include "handles.h"

#include <windows.h>

#include <cstdint>
#include <functional>
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
// The key with the rights asked for; null when it cannot be opened (missing or refused).
Regkey Openkey(HKEY parent, const std::wstring& keypath, REGSAM access);

// A value exactly as stored: its type and its bytes, whatever they are (a REG_DWORD, a binary, a
// text of any length).
struct Regdata {
    DWORD type = REG_SZ;
    std::string bytes;

    // REG_SZ or REG_EXPAND_SZ (text with %variables%, as Windows keeps its own sounds).
    bool Isstring() const { return type == REG_SZ || type == REG_EXPAND_SZ; }
    // The text of a string value up to its first NUL; empty for any other type.
    std::wstring Text() const;
};
// A string value's bytes: the text and one terminating NUL.
Regdata Stringdata(const std::wstring& text, DWORD type = REG_SZ);

// A value of an open key as stored: the empty REG_SZ text when key is null or the value is
// missing; nothing when it cannot be read. One call for a usual value; a string stored without its
// NUL may come with one added (as some systems add it when there is room).
std::optional<Regdata> Queryregdata(HKEY key, const std::wstring& valuename);
// The same, byte for byte as stored: the size is asked first, so nothing can be added.
std::optional<Regdata> Queryregexact(HKEY key, const std::wstring& valuename);
// The same in one call for a usual value, byte for byte as stored: read through the native
// interface, which hands the bytes over as they are.
std::optional<Regdata> Querystored(HKEY key, const std::wstring& valuename);
// Writes a value with its type and exactly its bytes: a string given without its NUL is stored without.
bool Writeregdata(HKEY key, const std::wstring& valuename, const Regdata& value);
// The text of a value of an open key, or "" on any failure (as Getregstr).
std::wstring Readregstr(HKEY key, const std::wstring& valuename);
// Writes a REG_SZ value into an open key.
bool Writeregstr(HKEY key, const std::wstring& valuename, const std::wstring& data);

// The value's text, or "" on any failure (missing key or value, a text over 1023 characters).
// A value that is not a string is read as ANSI text, as the registry's ANSI interface reads it.
std::wstring Getregstr(HKEY root, const std::wstring& keypath, const std::wstring& valuename);
// Writes a REG_SZ value, creating every missing level of the key path.
bool Setregstr(HKEY root, const std::wstring& keypath, const std::wstring& valuename, const std::wstring& data);
// Fills keynames(0..r) and returns r; -1 for a key that cannot be opened or has no subkeys, and
// then keynames is left as it was. A subkey whose name the ANSI code page cannot spell exactly is
// left out; one whose name takes 80 bytes or more in it ends the listing.
int32_t Enumregkeys(HKEY root, const std::wstring& keypath);
// The same for a key open with KEY_ENUMERATE_SUB_KEYS.
int32_t Enumopenkey(HKEY key);
struct Regvalue {
    std::wstring name;
    Regdata data;
};
// Every value of a key, of any type; empty for a missing key.
std::vector<Regvalue> Getregvalues(HKEY root, const std::wstring& keypath);
// The name of every value of a key, one at a time, without their data. True when every name was
// given (none for a missing key); false when the key could not be listed whole.
bool Forregvaluenames(HKEY root, const std::wstring& keypath, const std::function<void(const std::wstring&)>& each);
// Removes a value; true when it is gone (also when it was never there).
bool Deleteregvalue(HKEY root, const std::wstring& keypath, const std::wstring& valuename);
// Whether the key exists. A key that cannot be opened for another reason counts as there.
bool Regkeyexists(HKEY root, const std::wstring& keypath);
// The text before its first NUL character.
std::wstring Cutnull(const std::wstring& text);
