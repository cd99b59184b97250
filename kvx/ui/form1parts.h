// The rooms of the main window and what they give each other. form1.cpp owns the window, its
// procedure and its keys; shownlist.cpp the shown event and its sound list (showing, saving,
// editing, drop, paste); form1draw.cpp the owner-drawn rows and the current-sound line;
// session.cpp the program's start-up, the end of the session and the unload; commands.cpp the
// commands of the icon's menu, the keys and the switches.
#pragma once

#include "layout.h"

#include <windows.h>
#include <shellapi.h>

#include <functional>

// A control of the main window; null while there is no window.
HWND Form1item(int id);
// The main window's fonts, for the rows it draws itself.
const Windowfonts& Form1fonts();

// The shown list. Savelist stores List2 when the user changed it (asking first, when canask,
// whether to drop what its file holds that was not read); false when it could not be stored.
bool Savelist(bool canask);
// Savelist before the shown event changes or a set is made from the lists: a person is told when
// it fails. True where no window shows a list.
bool Saveshownlist(bool person);
// Whether List2 shows the list as saved.
bool Shownassaved();
// Shows the list, the editing buttons and the current sound of (curapp, curevent).
void Showshownevent();
// The current-sound line and its frame's caption.
void Showcurrentline();
// Runs an import, then shows what the shown list got unless it held edits that were not saved.
int Importandshow(const std::function<int()>& import);
// Notifications of the lists and the editing buttons.
void OnCombo1click();
void OnList1click();
void OnList2dblclick();
void OnEnter();
void OnCommand5click();
void OnCommand6click();
void OnCommand7click();
void OnAddfolder();
// The sound list's context menu, at a point of the screen or, from the keyboard (-1), at the
// selected row (soundlistmenu.cpp).
void OnList2contextmenu(LPARAM at);
// A key on List2 (WM_VKEYTOITEM): what the list box is to do.
LRESULT OnList2key(UINT key);
void OnDropfiles(HDROP drop);

// List2 scrolls sideways as far as its longest path reaches.
void Fitlist2();
void OnDrawitem(const DRAWITEMSTRUCT& item);

// The load of Form1, the question of the session's end and the unload on every path.
void Startup(bool logon);
LRESULT OnQueryendsession(LPARAM reason);
void Shutdown(bool endofsession);
// Forgets the session's state with the window.
void Endsessionstate();
