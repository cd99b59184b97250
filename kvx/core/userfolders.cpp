#include "userfolders.h"

#include "programfolder.h"

#include <windows.h>
#include <shlobj.h>

Kvxfolders Userfolders()
{
    Kvxfolders folders{Programfolder(), {}, {}};
    // Into a buffer of our own: the newer call hands out memory that only COM's library frees,
    // and that library is not loaded at every start.
    wchar_t local[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local) == S_OK && local[0]) {
        folders.sets = std::wstring(local) + L"\\Kvx\\sets";
        folders.converted = std::wstring(local) + L"\\Kvx\\converted";
    }
    return folders;
}
