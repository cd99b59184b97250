// The editor's four registry commands (add and delete an application, add and remove an event)
// and the helpers only the editor needs. Each works on the table (apps, eventlabels) and the
// registry alone: the registry is written first, and the table changes only when it was.
#pragma once

#include "outcome.h"

#include <windows.h>

#include <cstdint>
#include <string>

// Deletes the subkey name of parent under root with everything below it, whatever the names
// below it are. All or nothing: false, and the key left whole, when parent cannot be opened or
// some key of the tree may not be deleted.
bool Delregkey(HKEY root, const std::wstring& parent, const std::wstring& name);
// The file title of path as the common dialogs give it ("" when they cannot).
std::wstring Filetitle(const std::wstring& path);
// Application key name for a file title: the title up to its first ".".
std::wstring Appkeyname(const std::wstring& title);

// ←: gives application app the event of label k with an empty .Current, appended as its last
// event. The same event may be added twice.
Outcome Addevent(int16_t app, int16_t label);
// →: removes event j of application app with everything below its key. A key already gone
// (the second line of an event added twice) counts as removed.
Outcome Removeevent(int16_t app, int16_t event);
// 追加: the application of a program file, named as Appkeyname(Filetitle(path)) and with that
// name as its text. Nothing for a path that gives no name. The table is read again by the caller.
Outcome Addapplication(const std::wstring& path);
// 削除: application app with all its events. The table is read again by the caller.
Outcome Deleteapplication(int16_t app);
