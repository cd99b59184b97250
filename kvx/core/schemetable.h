// Kvx's scheme table: the shared registry reading plus the sound lists of every event and the
// selection shown in the main window.
#pragma once

#include "keylist.h"

#include <cstdint>
#include <string>
#include <vector>

// How an event's list file is written: the encoding it was found in (a byte-order mark tells
// UTF-8 and UTF-16; without one it is the ANSI code page).
enum class Listencoding : uint8_t { ansi, utf8, utf16le, utf16be };

// What of a list file could not be read exactly at its last load; a save drops it.
enum Unread : uint8_t {
    unreadnone = 0,
    unreadtoomany = 1,   // more entries than a list holds
    unreadtoolong = 2,   // a line longer than a path can be
    unreadnottext = 4,   // bytes that are not text in the file's encoding
    unreadtoolarge = 8,  // the part past the size read
};

// Entries 0..100 of every event's list. Memory grows with the entries held; an entry never
// written reads as the empty text.
class Soundtable {
public:
    static constexpr int16_t capacity = 101;

    void Create(int16_t appcount);
    std::wstring Get(int16_t app, int16_t event, int16_t k) const;
    // Positions 0 to entries.size() - 1 (at most the capacity); those after keep what they held.
    void Setfirst(int16_t app, int16_t event, std::vector<std::wstring> entries);
    // False while an existing list file could not be read at the last load: such a file is never
    // overwritten, and the list is not edited.
    bool Readable(int16_t app, int16_t event) const;
    void Setreadable(int16_t app, int16_t event, bool readable);
    // The encoding of the list file and what of it could not be read (Unread flags).
    Listencoding Encoding(int16_t app, int16_t event) const;
    uint8_t Unreadparts(int16_t app, int16_t event) const;
    void Setfileform(int16_t app, int16_t event, Listencoding encoding, uint8_t unread);
    // The count of the list as last loaded or saved: the stored count, kept at hand for the pass.
    int16_t Count(int16_t app, int16_t event) const;
    void Setcount(int16_t app, int16_t event, int16_t count);

private:
    struct Eventlist {
        std::vector<std::wstring> entries;
        bool readable = true;
        Listencoding encoding = Listencoding::ansi;
        uint8_t unread = unreadnone;
        int16_t count = 0;
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

// The saved list of event e of application a: as many entries as its count as last loaded or
// saved (the stored count). Empty for an event that does not exist.
std::vector<std::wstring> Savedsounds(int16_t a, int16_t e);

// listcount<app>-<event>
std::wstring Countkey(int16_t app, int16_t event);
// The stored entry count; 0 when missing or not a number in 0..101.
int16_t Readcount(int16_t app, int16_t event);
