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
// Writes bytes as the whole file path in one step: into a temporary file beside it, named as
// GetTempFileName names them (<prefix><hex digits>.tmp), flushed and moved over path, so a failure
// or a crash mid-write never leaves a half-written file there. On failure the temporary file goes
// and the system's error of the failed step stays.
bool Replacefile(const std::wstring& path, const std::string& bytes, const wchar_t* prefix);
// Copies source to base\relative, making the folders of relative below base, never base itself:
// a base that went away meanwhile fails the copy instead of being made again half empty.
bool Copyinto(const std::wstring& source, const std::wstring& base, const std::wstring& relative);
// Whether two files hold the same bytes.
bool Samecontent(const std::wstring& a, const std::wstring& b);
// The system's words for an error code, without the line end.
std::wstring Errortext(DWORD code);
// What failed, and on the next line the system's words for the last error.
std::wstring Lasterror(const std::wstring& what);
// The folder part of a path and its last name.
std::wstring Parentfolder(const std::wstring& path);
std::wstring Lastname(const std::wstring& path);
