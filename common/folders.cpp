#include "folders.h"

#include "handles.h"

#include <algorithm>
#include <array>

bool Isfolder(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Createfolders(const std::wstring& path)
{
    if (path.empty() || Isfolder(path)) return !path.empty();
    std::wstring parent = Parentfolder(path);
    if (!parent.empty() && parent != path && !Isfolder(parent) && !Createfolders(parent)) return false;
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::vector<std::wstring> Foldernames(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    Findhandle search = Ownfind(FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (!search) return names;
    do {
        std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search.get(), &found));
    return names;
}

bool Removetree(const std::wstring& path)
{
    for (const std::wstring& name : Foldernames(path)) {
        std::wstring full = path + L"\\" + name;
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (Isfolder(full))
            Removetree(full);
        else
            DeleteFileW(full.c_str());
    }
    return RemoveDirectoryW(path.c_str()) || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

std::optional<uint64_t> Filesize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

std::optional<std::string> Readfile(const std::wstring& path, uint64_t limit)
{
    Kernelhandle file = Ownfile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || uint64_t(size.QuadPart) > limit) return std::nullopt;
    std::string bytes(size_t(size.QuadPart), '\0');
    for (size_t done = 0; done < bytes.size();) {
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes.data() + done, DWORD(bytes.size() - done), &got, nullptr) || got == 0)
            return std::nullopt;
        done += got;
    }
    return bytes;
}

namespace {
bool Writeall(HANDLE file, const std::string& bytes)
{
    DWORD written = 0;
    return bytes.empty() ||
           (WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size());
}
}

bool Replacefile(const std::wstring& path, const std::string& bytes, const wchar_t* prefix)
{
    std::array<wchar_t, MAX_PATH + 1> temp{};
    if (!GetTempFileNameW(Parentfolder(path).c_str(), prefix, 0, temp.data())) return false;
    bool ok = false;
    {
        Kernelhandle file = Ownfile(
            CreateFileW(temp.data(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ok = file && Writeall(file.get(), bytes) && FlushFileBuffers(file.get());
    }
    ok = ok && MoveFileExW(temp.data(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) {
        DWORD error = GetLastError();
        DeleteFileW(temp.data());
        SetLastError(error);
    }
    return ok;
}

bool Copyinto(const std::wstring& source, const std::wstring& base, const std::wstring& relative)
{
    for (size_t slash = relative.find(L'\\'); slash != std::wstring::npos; slash = relative.find(L'\\', slash + 1)) {
        std::wstring folder = base + L"\\" + relative.substr(0, slash);
        if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return CopyFileW(source.c_str(), (base + L"\\" + relative).c_str(), TRUE) != FALSE;
}

bool Samecontent(const std::wstring& a, const std::wstring& b)
{
    std::optional<uint64_t> sizea = Filesize(a), sizeb = Filesize(b);
    if (!sizea || sizea != sizeb) return false;
    auto open = [](const std::wstring& path) {
        return Ownfile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    };
    Kernelhandle filea = open(a), fileb = open(b);
    if (!filea || !fileb) return false;
    std::array<char, 65536> bufa{}, bufb{};
    for (;;) {
        DWORD gota = 0, gotb = 0;
        if (!ReadFile(filea.get(), bufa.data(), DWORD(bufa.size()), &gota, nullptr) ||
            !ReadFile(fileb.get(), bufb.data(), DWORD(bufb.size()), &gotb, nullptr) || gota != gotb)
            return false;
        if (gota == 0) return true;
        if (!std::equal(bufa.begin(), bufa.begin() + gota, bufb.begin())) return false;
    }
}

std::wstring Errortext(DWORD code)
{
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring words = length ? std::wstring(text, length) : L"エラー " + std::to_wstring(code);
    if (text) LocalFree(text);
    while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L' ')) words.pop_back();
    return words;
}

std::wstring Lasterror(const std::wstring& what)
{
    DWORD code = GetLastError();
    return what + L"\r\n" + Errortext(code);
}

std::wstring Parentfolder(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring Lastname(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}
