#include "scratch.h"

#include "folders.h"
#include "pickers.h"
#include "text.h"

#include <gtest/gtest.h>

#include <sddl.h>
#include <shlobj.h>

#include <cstdint>
#include <cstring>

#include <atomic>

namespace {
std::atomic<unsigned> serial{0};

std::wstring Uniquename(const wchar_t* prefix)
{
    return std::wstring(prefix) + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(serial++) + L"-" +
           std::to_wstring(GetTickCount());
}

}

Scratchregistry::Scratchregistry() : name_(L"Software\\KvxTests\\" + Uniquename(L"t"))
{
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCreateKeyExW(HKEY_CURRENT_USER, name_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.put(), nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, key_.get());
}

Scratchregistry::~Scratchregistry()
{
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    key_.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, name_.c_str());
}

namespace {
bool Setpermissions(const std::wstring& keypath, const wchar_t* sddl)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    Regkey key;
    bool done = RegOpenKeyExW(HKEY_CURRENT_USER, keypath.c_str(), 0, WRITE_DAC, key.put()) == ERROR_SUCCESS &&
                RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
    LocalFree(descriptor);
    return done;
}
}

Readonlykey::Readonlykey(std::wstring keypath, bool readable) : path_(std::move(keypath))
{
    // Everyone may read (or not), and change the permissions back.
    EXPECT_TRUE(Setpermissions(path_, readable ? L"D:P(A;;KRWD;;;WD)" : L"D:P(A;;WD;;;WD)")) << "cannot protect the key";
}

Readonlykey::~Readonlykey()
{
    Setpermissions(path_, L"D:P(A;;KA;;;WD)");
}

Scratchfolder::Scratchfolder()
{
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + Uniquename(L"kvxtest");
    CreateDirectoryW(path_.c_str(), nullptr);
}

std::string Wavebytes(int samples)
{
    // 8-bit mono PCM at 8000 Hz: the smallest wave file Windows plays.
    auto le = [](uint32_t value, int bytes) {
        std::string out;
        for (int k = 0; k < bytes; ++k) out += char((value >> (8 * k)) & 0xFF);
        return out;
    };
    std::string data(size_t(samples), '\x80');
    return "RIFF" + le(uint32_t(36 + data.size()), 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(8000, 4) +
           le(8000, 4) + le(1, 2) + le(8, 2) + "data" + le(uint32_t(data.size()), 4) + data;
}

std::wstring Scratchfolder::Sound(const std::wstring& name) const
{
    Writebytes(File(name), Wavebytes(16));
    return File(name);
}

void Refuseunexpectedmessages()
{
    messagehook = [](HWND, const std::wstring& text, const std::wstring&, UINT) {
        ADD_FAILURE() << "unexpected message: " << Toansi(text);
        return IDCANCEL;
    };
}

Scratchfolder::~Scratchfolder()
{
    Removetree(path_);
}

void Putvalue(const std::wstring& keypath, const std::wstring& name, const std::wstring& value)
{
    Regkey key;
    RegCreateKeyExW(HKEY_CURRENT_USER, keypath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
    RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   DWORD((value.size() + 1) * sizeof(wchar_t)));
}

void Putkey(const std::wstring& keypath)
{
    Regkey key;
    RegCreateKeyExW(HKEY_CURRENT_USER, keypath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
}

bool Keyexists(const std::wstring& keypath)
{
    Regkey key;
    return RegOpenKeyExW(HKEY_CURRENT_USER, keypath.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

bool Valueexists(const std::wstring& keypath, const std::wstring& name)
{
    Regkey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keypath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
    return RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::string Rawvalue(const std::wstring& keypath, const std::wstring& name, DWORD* type)
{
    Regkey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, Toansi(keypath).c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return "<missing>";
    DWORD size = 0;
    DWORD kind = 0;
    if (RegQueryValueExA(key.get(), Toansi(name).c_str(), nullptr, &kind, nullptr, &size) != ERROR_SUCCESS)
        return "<missing>";
    std::string bytes(size, '\0');
    RegQueryValueExA(key.get(), Toansi(name).c_str(), nullptr, &kind, reinterpret_cast<BYTE*>(bytes.data()), &size);
    bytes.resize(size);
    if (type) *type = kind;
    return bytes;
}

std::pair<DWORD, std::string> Storedvalue(const std::wstring& keypath, const std::wstring& name)
{
    Regkey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keypath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return {};
    DWORD type = 0, size = 0;
    RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size);
    std::string bytes(size, '\0');
    RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size);
    return {type, bytes};
}

std::string Readbytes(const std::wstring& path)
{
    Kernelhandle file = Ownfile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
    if (!file) return "<missing>";
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    return bytes;
}

void Writebytes(const std::wstring& path, const std::string& bytes)
{
    // A decoder that just gave up on the file may still hold it for a moment (Wine's ends its
    // reading on a thread of its own).
    Kernelhandle file;
    for (int tries = 0; tries < 100; ++tries) {
        file = Ownfile(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        if (file || GetLastError() != ERROR_SHARING_VIOLATION) break;
        Sleep(20);
    }
    DWORD written = 0;
    if (file) WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

bool Fileexists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::wstring> Filesin(const std::wstring& folder)
{
    return Foldernames(folder);
}

HDROP Makedrop(const std::vector<std::wstring>& paths, POINT at)
{
    std::wstring list;
    for (const std::wstring& path : paths) list += path + L'\0';
    list += L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->pt = at;
    header->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

std::wstring Soundcapture()
{
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableW(L"KVX_SOUND_CAPTURE", path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

int Runprogram(const std::wstring& program, const std::wstring& arguments, const std::function<void()>& whilewaiting)
{
    std::wstring command = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    Kernelhandle thread(process.hThread), owned(process.hProcess);
    HANDLE child = owned.get();
    for (ULONGLONG until = GetTickCount64() + 30000;
         MsgWaitForMultipleObjects(1, &child, FALSE, 50, QS_ALLINPUT) != WAIT_OBJECT_0;) {
        if (whilewaiting) whilewaiting();
        if (GetTickCount64() > until) return -1;
    }
    DWORD code = 0;
    return GetExitCodeProcess(child, &code) ? int(code) : -1;
}

std::wstring Besidethistest(const std::wstring& name)
{
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return Parentfolder(self) + L"\\" + name;
}

void Presskey(WORD key, bool ctrl)
{
    std::vector<INPUT> inputs;
    auto press = [&inputs](WORD vk, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    if (ctrl) press(VK_CONTROL, false);
    press(key, false);
    press(key, true);
    if (ctrl) press(VK_CONTROL, true);
    EXPECT_EQ(SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT)), inputs.size());
}

void Copyfiles(const std::vector<std::wstring>& paths)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    // The clipboard owns the memory once it holds it.
    EXPECT_NE(SetClipboardData(CF_HDROP, Makedrop(paths)), nullptr);
    CloseClipboard();
}
