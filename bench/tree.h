// The generated sound-event tree: its names, the lists scripts/bench writes for it and the
// registry part this program writes.
#pragma once

#include "handles.h"

#include <windows.h>

#include <string>
#include <vector>

struct Treesize {
    int apps = 0;
    int events = 0;
    int sounds = 0;
    std::wstring name;
};

// The folder of sounds below each tree's folder.
inline const std::wstring soundfolder = L"サウンド";
// What .Current holds before a measured pass: no sound any list names, so every event changes.
inline constexpr wchar_t othersound[] = L"C:\\KvxBench\\other.wav";

// Application and event key names, sorted by name as the registry lists them.
std::wstring Appname(const Treesize& size, int a);
std::wstring Eventname(const Treesize& size, int e);
// A tenth of the lists also name a folder of 20 sounds and an MP3 (as scripts/bench writes them):
// the entries each list holds.
int Listlength(const Treesize& size, int a, int e);

bool Setstring(HKEY key, const wchar_t* name, const std::wstring& value);
Regkey Createkey(HKEY parent, const std::wstring& name);
std::vector<std::wstring> Subkeys(HKEY key);
// Deletes a key with everything below it, below HKEY_CURRENT_USER.
void Deletetree(HKEY parent, const std::wstring& name);

// The registry part of a tree: applications, events with an empty .Current, labels, settings
// and every list count already stored, as after Kvx's first run. False when the list files
// scripts/bench writes are not there.
bool Generate(const Treesize& size, const std::wstring& folder);
// Gives every event's .Current the value othersound.
void Setallcurrent();
