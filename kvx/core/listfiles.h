// The per-event list files in the program folder and their count keys.
#pragma once

#include "programfolder.h"

#include <cstdint>
#include <string>
#include <vector>

// Folder of the list files: the program's own folder (tests point it elsewhere).
extern std::wstring listfolder;

// A key name that is a valid file name is used as it stands. Any character a file name cannot
// hold, and "%" itself, becomes %XX (its code in hex), so no registry content reaches outside
// the folder and no two names share a file; so does the first character of a name that Windows
// would take for a device (AUX, COM1...) and a trailing dot or blank.
std::wstring Escapename(const std::wstring& name);
// Whether a name is a file name as it stands, naming nothing else: no character a file name
// cannot hold, no device's name, no trailing dot or blank (which Windows drops).
bool Plainfilename(const std::wstring& name);
// Full path of the list file of (app, event): <folder>\<app key name>-<event>.dat
std::wstring Listfilename(int16_t app, int16_t event);

// Reads the list file into soundlists and stores its count. A missing file is created empty;
// a file that cannot be read gives an empty list. At most 101 entries are read; a byte-order
// mark makes the file UTF-8 or UTF-16, else it is in the ANSI code page. What could not be read
// exactly is remembered (Unreadnote).
void Loaddata(int16_t app, int16_t event);
// Stores entries as the list of (app, event): table, list file (in the encoding it was found in;
// an ANSI list that gets a path the code page cannot spell becomes UTF-8) and count. The file is replaced in one step; when it cannot be written nothing changes and the result is false. A list file that
// could not be read at the last load is left alone (true for no entries, else false).
bool Savedata(int16_t app, int16_t event, const std::vector<std::wstring>& entries);
// Loaddata for every event of every application.
void Loadalllists();

// Whether a list can be saved in the list folder now: a file can be made there (and is removed).
bool Listfolderwritable();
// What a save of the list of (app, event) would drop of its file, told to the user; empty when
// the file was read exactly.
std::wstring Unreadnote(int16_t app, int16_t event);
// Removes the temporary files that an interrupted save left in the list folder: only names a
// save makes (kvx<hex digits>.tmp), and only files no one has open. Returns how many went.
int Removeleftovers();
