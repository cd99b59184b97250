// Kvx's scheme table: the shared registry reading plus the sound lists of every event and the
// selection shown in the main window.
#pragma once

#include "keylist.h"

#include <cstdint>
#include <string>
#include <vector>

// Entries 0..100 of every event's list. Memory grows with the entries held; an entry never
// written reads as the empty text.
class Soundtable {
public:
    static constexpr int16_t capacity = 101;

    void Create(int16_t appcount);
    std::wstring Get(int16_t app, int16_t event, int16_t k) const;
    void Set(int16_t app, int16_t event, int16_t k, const std::wstring& text);
    // False while an existing list file could not be read at the last load: such a file is never
    // overwritten, and the list is not edited.
    bool Readable(int16_t app, int16_t event) const;
    void Setreadable(int16_t app, int16_t event, bool readable);

private:
    struct Eventlist {
        std::vector<std::wstring> entries;
        bool readable = true;
    };
    const Eventlist* Find(int16_t app, int16_t event) const;
    Eventlist* Reach(int16_t app, int16_t event);
    std::vector<std::vector<Eventlist>> lists_;
};

extern Soundtable soundlists;
extern int16_t maxevent;
extern int16_t curapp;
extern int16_t curevent;

int16_t Maxeventcount();
// Building steps 1 to 5: reads the registry tree, sizes soundlists and returns the rows of
// Combo1 (row r is application r + 1).
std::vector<std::wstring> Buildtable();

// listcount<app>-<event>
std::wstring Countkey(int16_t app, int16_t event);
// The stored entry count; 0 when missing or not a number in 0..101.
int16_t Readcount(int16_t app, int16_t event);
