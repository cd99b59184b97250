// The floor: the least registry and file work Kvx's start-up and change pass need, done directly,
// holding the same names and paths as plain strings.
#pragma once

#include "handles.h"

#include <windows.h>

#include <random>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

struct Floorevent {
    std::wstring name;
    std::vector<std::wstring> sounds;
};
struct Floorapp {
    std::wstring name;
    std::wstring text;
    std::vector<Floorevent> events;
};
struct Floortable {
    std::vector<std::wstring> labelnames;
    std::vector<std::wstring> labeltexts;
    std::vector<Floorapp> apps;
    std::unordered_map<std::wstring, std::wstring> settings;
};

// Start-up's data work: every application's text and events by name, each label read once,
// each list file read once, the stored counts read in one sweep of the settings key, and only
// a count that differs written.
Floortable Loadfloor(const std::wstring& folder);

// What a pass knows from the passes before it: each listed folder's sounds with the folder's
// time, and where each converted sound's copy is (Kvx's own names for them).
struct Floorfolder {
    FILETIME written{};
    std::vector<std::wstring> names;
};
struct Floorknown {
    std::unordered_map<std::wstring, Floorfolder> folders;
    std::unordered_map<std::wstring, std::wstring> copies;
};
Floorknown Learnfloor(const Floortable& table);

// The users' own values recorded so far, kept under keypath.
struct Floorrecords {
    std::wstring keypath;
    std::unordered_set<std::wstring> recorded;
};

// A change pass: per event one look at each folder entry's folder, one at the picked file (and
// one at a converted sound's copy); the event's .Current opened once, read, and written only
// when it does not hold the pick, its value first recorded (into a key opened once a pass) when
// it is the user's own.
void Floorpass(const Floortable& table, Floorknown& known, Floorrecords& records, std::mt19937& random);
