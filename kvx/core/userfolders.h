// Where Kvx keeps its files for this user: the lists in the program's folder, the imported sound
// sets and the wave copies of converted sounds under the user's local application data.
#pragma once

#include <string>

// The lists (the program's folder), the imported sound sets (%LOCALAPPDATA%\Kvx\sets) and the
// wave copies of converted sounds (%LOCALAPPDATA%\Kvx\converted).
struct Kvxfolders {
    std::wstring lists;
    std::wstring sets;
    std::wstring converted;
};
// The folders of this user and program; sets and converted are empty when the user's local
// application data cannot be found.
Kvxfolders Userfolders();
