// The per-event list files in the program folder and their count keys.
#pragma once

#include "programfolder.h"

#include <cstdint>
#include <string>
#include <vector>

// Folder of the list files: the program's own folder (tests point it elsewhere).
extern std::wstring listfolder;

// A key name that is a valid file name is used as it stands; any character a file name cannot
// hold becomes %XX (its code in hex), so no registry content reaches outside the folder.
std::wstring Escapename(const std::wstring& name);
// Full path of the list file of (app, event): <folder>\<app key name>-<event>.dat
std::wstring Listfilename(int16_t app, int16_t event);

// Reads the list file into soundlists and stores its count. A missing file is created empty;
// a file that cannot be read gives an empty list. At most 101 entries are read.
void Loaddata(int16_t app, int16_t event);
// Stores entries as the list of (app, event): table, list file and count. The file is replaced in
// one step; when it cannot be written nothing changes and the result is false. A list file that
// could not be read at the last load is left alone (true for no entries, else false).
bool Savedata(int16_t app, int16_t event, const std::vector<std::wstring>& entries);
// Loaddata for every event of every application.
void Loadalllists();
