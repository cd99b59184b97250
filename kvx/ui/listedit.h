// Editing the shown sound list: List2 is the editing buffer of (curapp, curevent) until Savedata.
#pragma once

#include "outcome.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

// The folder the add-sound dialog opens in: defdir, or the program folder when that is empty.
std::wstring Startfolder();
// Whether another row fits into the list (a list holds 101 sounds).
bool Listhasroom(HWND list2);
// Whether a sound can be added now: an event is shown, its list file could be read and the list
// has room.
bool Canadd(HWND list2);
// A file an addition did not take, and why, as the user reads it.
struct Refusedsound {
    std::wstring path;
    std::wstring why;
    bool operator==(const Refusedsound&) const = default;
};
// What an addition of files came to.
struct Additions {
    int added = 0;
    std::vector<Refusedsound> refused;  // missing, or neither a wave file that plays nor a sound that converts
    int leftout = 0;                    // no room left: a list holds 101 sounds
    int cancelled = 0;                  // not converted, since the user cancelled
};
// Appends the files among paths that play, in order, as last rows while a sound can be added
// (Canadd); the selection stays as it was. Nothing at all while no event is shown or its list
// file could not be read. A sound that is no wave file is converted first, on a thread of its
// own while the progress window over the list's window shows how far it has come; a cancel
// there adds none of the sounds not converted by then.
Additions Appendsounds(HWND list2, const std::vector<std::wstring>& paths);
// What the user is told of an addition: the files refused, by name, and how many found no room;
// empty when there is nothing to tell.
std::wstring Additionnote(const Additions& additions);
// "追加": the open-file dialog for one sound file, appended to the list.
Additions Addsound(HWND owner, HWND list2);
// "フォルダーを追加...": the folder picker; the folder is appended as a folder entry, which brings
// the sounds it holds when a pass runs.
Additions Addfolder(HWND owner, HWND list2);
// "削除": removes the selected row; nothing without a selection or an event.
void Removesound(HWND list2);
// "変更": writes the selected row into the shown event's .Current value, recording the user's own
// sound first the first time. Nothing without a selection or an event; failed, with nothing
// written, when the file does not exist or cannot play or the registry refused.
Outcome Makecurrent(HWND list2);
// The sound files (Soundfilename) directly inside folder, by name, in name order.
std::vector<std::wstring> Soundfilesin(const std::wstring& folder);
// Files dropped from Explorer: the sound files among them, in the order given, in any characters;
// a folder gives the sound files directly inside it, in name order, or with foldersasentries
// (Shift held) its folder entry.
std::vector<std::wstring> Droppedsounds(HDROP drop, bool foldersasentries = false);
// Files copied in Explorer and on the clipboard now (CF_HDROP), taken as Droppedsounds takes a
// drop; empty when the clipboard holds none or cannot be opened.
std::vector<std::wstring> Pastedsounds(HWND owner, bool foldersasentries = false);
