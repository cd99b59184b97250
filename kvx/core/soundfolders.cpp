#include "soundfolders.h"

#include "handles.h"
#include "listedsounds.h"
#include "listfiles.h"
#include "text.h"

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace {
// A network folder that does not answer within this is no sound for this pass; its look goes on
// in the background, and a later pass takes what it found.
constexpr DWORD networkwait = 2000;

struct Look {
    bool folder = false;
    FILETIME written{};
};

struct Known {
    FILETIME written{};
    std::shared_ptr<const Folderlisting> listing;
};

std::mutex knownlock;
std::unordered_map<std::wstring, Known> known;  // by the folded entry

std::shared_ptr<const Folderlisting> Faulty(Folderfault fault)
{
    auto listing = std::make_shared<Folderlisting>();
    listing->fault = fault;
    return listing;
}

// A path of the system's own namespaces, a device's name or a "." or ".." part: such an entry
// names nothing a user keeps sounds in, and may reach anywhere.
std::optional<Folderfault> Hostile(const std::wstring& entry)
{
    if (entry.starts_with(L"\\\\.\\") || entry.starts_with(L"\\\\?\\") || entry.starts_with(L"\\??\\"))
        return Folderfault::device;
    std::wstring_view path(entry);
    path.remove_suffix(1);
    // A drive ("C:") or a network share ("\\server\share") begins the path.
    size_t at = path.starts_with(L"\\\\") ? path.find(L'\\', path.find(L'\\', 2) + 1) : path.find(L'\\');
    if (path.size() < 2 || (!path.starts_with(L"\\\\") && path[1] != L':')) return Folderfault::missing;
    while (at != std::wstring_view::npos && at < path.size()) {
        size_t end = path.find(L'\\', at + 1);
        std::wstring part(path.substr(at + 1, end == std::wstring_view::npos ? std::wstring_view::npos : end - at - 1));
        if (part == L"." || part == L"..") return Folderfault::dotdot;
        if (!part.empty() && !Plainfilename(part)) return Folderfault::device;
        at = end;
    }
    return std::nullopt;
}

Look Lookat(const std::wstring& folder)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(folder.c_str(), GetFileExInfoStandard, &data)) return {};
    return {(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, data.ftLastWriteTime};
}

// A network folder is looked at on a thread of its own: a server that does not answer would
// hold the pass for the network's whole time-out. One look at a time a folder: while it has not
// answered, a later pass is told so at once, and the one after its answer takes it.
struct Pendinglook {
    Look look;
    Kernelhandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};
std::unordered_map<std::wstring, std::shared_ptr<Pendinglook>> lookups;  // by the folded folder

std::optional<Look> Lookwithin(const std::wstring& folder, DWORD milliseconds)
{
    std::wstring key = Foldcase(folder);
    std::shared_ptr<Pendinglook> pending;
    DWORD wait = 0;
    {
        std::lock_guard hold(knownlock);
        auto found = lookups.find(key);
        if (found != lookups.end()) {
            pending = found->second;
        } else {
            pending = std::make_shared<Pendinglook>();
            if (!pending->done) return Lookat(folder);
            lookups.emplace(key, pending);
            std::thread([pending, folder] {
                pending->look = Lookat(folder);
                SetEvent(pending->done.get());
            }).detach();
            wait = milliseconds;
        }
    }
    if (WaitForSingleObject(pending->done.get(), wait) != WAIT_OBJECT_0) return std::nullopt;
    std::lock_guard hold(knownlock);
    lookups.erase(key);
    return pending->look;
}

std::shared_ptr<const Folderlisting> Listnow(const std::wstring& entry)
{
    auto listing = std::make_shared<Folderlisting>();
    WIN32_FIND_DATAW found{};
    Findhandle search = Ownfind(FindFirstFileExW((entry + L"*").c_str(), FindExInfoBasic, &found,
                                                 FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!search) {
        listing->fault = GetLastError() == ERROR_FILE_NOT_FOUND ? Folderfault::none : Folderfault::unreadable;
        return listing;
    }
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (!Soundfilename(found.cFileName)) continue;
        if (listing->names.size() == maxfoldersounds) {
            listing->capped = true;
            break;
        }
        listing->names.emplace_back(found.cFileName);
    } while (FindNextFileW(search.get(), &found));
    // In name order, as Explorer lists them.
    std::sort(listing->names.begin(), listing->names.end(), [](const std::wstring& a, const std::wstring& b) {
        return CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) == CSTR_LESS_THAN;
    });
    listing->names.shrink_to_fit();
    return listing;
}
}

bool Isfolderentry(std::wstring_view entry)
{
    return entry.size() > 1 && entry.back() == L'\\';
}

std::wstring Folderentry(std::wstring folder)
{
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder + L"\\";
}

std::shared_ptr<const Folderlisting> Listfolder(const std::wstring& entry)
{
    if (std::optional<Folderfault> fault = Hostile(entry)) return Faulty(*fault);
    std::wstring folder = entry.size() > 3 ? entry.substr(0, entry.size() - 1) : entry;
    std::optional<Look> look = entry.starts_with(L"\\\\") ? Lookwithin(folder, networkwait) : Lookat(folder);
    if (!look) return Faulty(Folderfault::noanswer);
    if (!look->folder) return Faulty(Folderfault::missing);
    std::wstring key = Foldcase(entry);
    {
        std::lock_guard hold(knownlock);
        auto found = known.find(key);
        if (found != known.end() && CompareFileTime(&found->second.written, &look->written) == 0)
            return found->second.listing;
    }
    std::shared_ptr<const Folderlisting> listing = Listnow(entry);
    std::lock_guard hold(knownlock);
    known.insert_or_assign(key, Known{look->written, listing});
    return listing;
}

std::wstring Foldernote(const Folderlisting& listing)
{
    switch (listing.fault) {
    case Folderfault::none: break;
    case Folderfault::missing: return L"（見つかりません）";
    case Folderfault::unreadable: return L"（読み込めません）";
    case Folderfault::device: return L"（フォルダーではありません）";
    case Folderfault::dotdot: return L"（. や .. を含むパスは使えません）";
    case Folderfault::noanswer: return L"（応答がありません）";
    }
    std::wstring note = L" (" + std::to_wstring(listing.names.size());
    return note + (listing.capped ? L"、" + std::to_wstring(maxfoldersounds) + L" 個を超える分は使いません)" : L")");
}

void Forgetfolders()
{
    std::lock_guard hold(knownlock);
    known.clear();
}
