// Folder entries: a list entry that names a folder (its full path ending in "\") stands for every
// sound file directly inside it, as the folder holds them when a pass runs. A folder is looked at
// once a pass (one look at its attributes, whose time changes when a file is added, removed or
// renamed in it) and listed again only when that time changed; one listing serves every list
// that names the folder.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A listing holds at most this many sounds; the rest are left out, and the row says so.
inline constexpr size_t maxfoldersounds = 10000;

// Whether a list entry names a folder.
bool Isfolderentry(std::wstring_view entry);
// The entry that names folder: its full path with one "\" at the end.
std::wstring Folderentry(std::wstring folder);
// The folder a folder entry names: the entry without its last "\".
inline std::wstring Folderpath(const std::wstring& entry)
{
    return entry.substr(0, entry.size() - 1);
}

// Why a folder counts as no sound.
enum class Folderfault : uint8_t {
    none,
    missing,     // not there, or not a folder
    unreadable,  // cannot be listed (no access, a junction that leads to itself...)
    device,      // names a device, or a path of the system's own namespaces (\\.\, \\?\)
    dotdot,      // holds a "." or ".." part: it may be anywhere
    noanswer,    // a network folder that did not answer in time
};
struct Folderlisting {
    std::vector<std::wstring> names;  // the sound files directly inside, by name, in name order
    bool capped = false;              // more than maxfoldersounds: the rest left out
    Folderfault fault = Folderfault::none;
};
// The listing of a folder entry now. Safe on any thread.
std::shared_ptr<const Folderlisting> Listfolder(const std::wstring& entry);
// The full path of a sound of a folder entry's listing.
inline std::wstring Folderfile(const std::wstring& entry, const std::wstring& name)
{
    return entry + name;
}
// What the row of a folder entry says after its path: the count of its sounds, or why none.
std::wstring Foldernote(const Folderlisting& listing);
// Forgets every listing (the tests' folders come and go with the same names).
void Forgetfolders();
