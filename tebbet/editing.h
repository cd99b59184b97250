// The editor's four registry commands (add and delete an application, add and remove an event)
// and the two helpers only the editor needs.
#pragma once

#include <windows.h>

#include <string>

// Deletes the subkey name of parent under root with everything below it. False when parent
// cannot be opened or the key could not be removed.
bool Delregkey(HKEY root, const std::wstring& parent, const std::wstring& name);
// The file title of path as the common dialogs give it ("" when they cannot).
std::wstring Filetitle(const std::wstring& path);
// Application key name for a file title: the title up to its first ".".
std::wstring Appkeyname(const std::wstring& title);

void OnCommand1click();  // ← add the event selected in List2 to the application
void OnCommand2click();  // → remove the event selected in List1
void OnCommand3click();  // 追加: add an application picked as a program file
void OnCommand4click();  // 削除: delete the selected application after a confirmation
