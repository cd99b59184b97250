// The sound-set commands of the icon's menu, as the user meets them: the folder pickers, the
// question before an import, the progress window while files are copied and what the user is
// told at the end.
#pragma once

#include <windows.h>

// "サウンドセットを書き出す...": asks for an empty or new folder and writes the set of the lists
// (as saved) there, named after the folder.
void Exportfromuser(HWND owner);
// "サウンドセットを読み込む...": asks for a set's folder, says what will be added and adds it after
// a confirmation. Returns whether any list changed.
bool Importfromuser(HWND owner);
