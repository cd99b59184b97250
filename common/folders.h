// Folders and files on disk, whatever the characters of their names.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Creates the folder and every missing one above it; true when it is there afterwards.
bool Createfolders(const std::wstring& path);
// Removes a folder with everything in it; true when it is gone.
bool Removetree(const std::wstring& path);
// The names in a folder (files and folders, not "." and ".."); empty for a missing one.
std::vector<std::wstring> Foldernames(const std::wstring& folder);
// Whether path is a folder.
bool Isfolder(const std::wstring& path);
// The size of a file; nothing for a folder or what cannot be looked at.
std::optional<uint64_t> Filesize(const std::wstring& path);
// The whole file; nothing when it cannot be read or is larger than limit bytes.
std::optional<std::string> Readfile(const std::wstring& path, uint64_t limit);
// Whether two files hold the same bytes.
bool Samecontent(const std::wstring& a, const std::wstring& b);
// The system's words for an error code, without the line end.
std::wstring Errortext(DWORD code);
// The folder part of a path and its last name.
std::wstring Parentfolder(const std::wstring& path);
std::wstring Lastname(const std::wstring& path);
