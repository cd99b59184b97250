// Sound sets: the user's lists with their sounds gathered in one folder, to carry to another PC,
// keep as a backup or give to a friend. A set's folder holds kvxset.txt and a copy of each sound
// in <application>\<event>\<file name>, and of each listed folder's sounds in
// <application>\<event>\<folder name>\<file name>. Export builds a set from the lists; import
// copies a set's sounds into a folder of Kvx's own and adds them to the lists of the events this
// PC has.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

inline constexpr wchar_t setfilename[] = L"kvxset.txt";
inline constexpr wchar_t kvxversion[] = L"1.4";

// Folder of the imported sets: %LOCALAPPDATA%\Kvx\sets (tests point it elsewhere).
extern std::wstring setsfolder;

struct Setevent {
    std::wstring app;                  // application key
    std::wstring event;                // event key
    std::wstring label;                // the event's display text where the set was made
    // Paths relative to the set's folder, in list order; a folder's ends in "\", as its list
    // entry does.
    std::vector<std::wstring> sounds;
};
struct Soundset {
    std::wstring name;
    std::wstring version;
    std::vector<Setevent> events;
    // The sound files directly inside each folder the events name (by its path as they name it),
    // as they were when the set was made or checked: what an import copies.
    std::map<std::wstring, std::vector<std::wstring>> folders;
};

// Called after each file copied: how many of how many.
using Setprogress = std::function<void(int done, int total)>;

// Whether a set can be written into folder: it does not exist yet, or is empty.
bool Exporttargetfree(const std::wstring& folder);
struct Exportresult {
    bool done = false;
    std::wstring why;  // what failed, told to the user
    int written = 0;   // sound files copied into the set
    int leftout = 0;   // listed files that are missing or cannot play, and folders without such files
};
// Writes the lists of the table (as saved) with their sounds into folder, as the set name. All
// or nothing: the set is built in a folder beside it and takes its name at the end.
Exportresult Exportset(const std::wstring& folder, const std::wstring& name, const Setprogress& progress = {});

// A set as read from its folder, or the fault that makes the folder no set (told to the user).
struct Setread {
    std::optional<Soundset> set;
    std::wstring fault;
};
Setread Readset(const std::wstring& folder);

// What an import will do to the lists of this tree.
struct Importevent {
    int16_t app;
    int16_t event;
    std::vector<std::wstring> sounds;  // relative paths to add, in order (a folder's ends in "\")
};
struct Importplan {
    std::vector<Importevent> events;
    int sounds = 0;                        // sounds to add in all, a folder counting as one
    int folders = 0;                       // of those, the folders
    int duplicates = 0;                    // sounds the lists hold already (the same bytes, or a folder of them)
    int leftout = 0;                       // sounds with no room: a list holds 101
    std::vector<std::wstring> lacking;     // "<application>\<event>" the set names that this tree lacks
    std::vector<std::wstring> unreadable;  // lists of files that could not be read whole: left alone
};
Importplan Planimport(const Soundset& set, const std::wstring& folder);
struct Importresult {
    bool done = false;
    std::wstring why;
    std::wstring copiedto;  // the new folder of the set's sounds
    int added = 0;
};
// Copies the planned sounds into a new folder below setsfolder and adds them to the lists. All or
// nothing: on a failure the folder goes and every list is as it was.
Importresult Importset(const Soundset& set, const std::wstring& folder, const Importplan& plan,
                       const Setprogress& progress = {});
