// Test helpers: a private registry tree standing in for HKEY_CURRENT_USER, and a temporary
// folder, both removed again at the end of the test.
#pragma once

#include "handles.h"

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class Scratchregistry {
public:
    Scratchregistry();
    ~Scratchregistry();
    Scratchregistry(const Scratchregistry&) = delete;
    Scratchregistry& operator=(const Scratchregistry&) = delete;
    // The key below the real HKEY_CURRENT_USER that stands for it, for another process to use.
    const std::wstring& keypath() const { return name_; }

private:
    std::wstring name_;
    Regkey key_;
};

// While it lives, keypath (below the overridden HKEY_CURRENT_USER) is protected as an
// administrator might protect it: it may be read and listed but not changed, or (readable
// false) not even read. Its permissions are restored at the end. (Wine lets a protected key be
// deleted all the same; a key that cannot be read cannot be deleted with care either.)
class Readonlykey {
public:
    explicit Readonlykey(std::wstring keypath, bool readable = true);
    ~Readonlykey();
    Readonlykey(const Readonlykey&) = delete;
    Readonlykey& operator=(const Readonlykey&) = delete;

private:
    std::wstring path_;
};

class Scratchfolder {
public:
    Scratchfolder();
    ~Scratchfolder();
    Scratchfolder(const Scratchfolder&) = delete;
    Scratchfolder& operator=(const Scratchfolder&) = delete;
    const std::wstring& path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }
    // A small sound file of that name in the folder (Wavebytes(16)); its full path.
    std::wstring Sound(const std::wstring& name) const;

private:
    std::wstring path_;
};

// A wave file that plays: 8-bit mono PCM of samples samples.
std::string Wavebytes(int samples);

// A message box that no test expected fails the test instead of waiting for a click.
void Refuseunexpectedmessages();

// Raw registry access for checks, below the (overridden) HKEY_CURRENT_USER.
void Putvalue(const std::wstring& keypath, const std::wstring& name, const std::wstring& value);
void Putkey(const std::wstring& keypath);
bool Keyexists(const std::wstring& keypath);
bool Valueexists(const std::wstring& keypath, const std::wstring& name);
// Raw bytes and type of a value, read with the ANSI interface.
std::string Rawvalue(const std::wstring& keypath, const std::wstring& name, DWORD* type = nullptr);
// A value's type and bytes exactly as stored, read with the wide interface.
std::pair<DWORD, std::string> Storedvalue(const std::wstring& keypath, const std::wstring& name);

// The file that Wine's sound output goes to while the tests run (scripts/test), or empty. Its size
// is what was played of the sound last opened.
std::wstring Soundcapture();
// Runs a program with arguments and returns its exit code; -1 when it could not start or end
// within 30 s. whilewaiting runs every few milliseconds meanwhile (to handle this thread's
// messages when the program talks to its windows).
int Runprogram(const std::wstring& program, const std::wstring& arguments,
               const std::function<void()>& whilewaiting = {});
// A file in the folder of this test program (the helper programs the tests start).
std::wstring Besidethistest(const std::wstring& name);

// Whole file as bytes; "<missing>" when it cannot be read.
std::string Readbytes(const std::wstring& path);
void Writebytes(const std::wstring& path, const std::string& bytes);
bool Fileexists(const std::wstring& path);
std::vector<std::wstring> Filesin(const std::wstring& folder);

// A key pressed and let go on the real keyboard (SendInput), with Ctrl held when ctrl is set.
void Presskey(WORD key, bool ctrl = false);
// Files copied in Explorer: the clipboard holds them as CF_HDROP.
void Copyfiles(const std::vector<std::wstring>& paths);

// A drop of files from Explorer as the shell hands it over, at a point of the target's client area.
HDROP Makedrop(const std::vector<std::wstring>& paths, POINT at = {});
