// Kvx's bench: start-up of the real Kvx.exe, one change pass and Kvx's memory on a generated
// sound-event tree, each beside the floor, the least registry and file work the same job needs,
// done here directly in the same run.
//
//   kvxbench <work folder> <apps>x<events>x<sounds>...
//   kvxbench memfloor <tree folder>                      child run: the floor's memory
//   kvxbench convert <song> <folder>                     a song converted (conversionbench.cpp)
//
// The work folder holds one folder per tree ("empty", "200x30x5"...) with a copy of Kvx.exe, its
// list files and WAV files, written by scripts/bench; this program writes the registry part.
#include "changer.h"
#include "conversionbench.h"
#include "keylist.h"
#include "listfiles.h"
#include "schemetable.h"
#include "settings.h"

#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {
// Generous: a slow start-up on a big tree is a result to report, not a failure.
constexpr double startuptimeoutms = 300000;
// Repetitions per measure; after the third, no more once a measure has taken this long.
constexpr int repetitions = 5;
constexpr double measurebudgetms = 90000;
const std::wstring soundfolder = L"サウンド";

struct Treesize {
    int apps = 0;
    int events = 0;
    int sounds = 0;
    std::wstring name;
};

double Nowms()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

double Median(std::vector<double> samples)
{
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    size_t n = samples.size();
    return n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

// Runs round `repetitions` times, or only three once the budget is spent; a failed round ends
// the measure. Each round takes its own samples.
template <typename Round>
void Repeat(Round&& round)
{
    double start = Nowms();
    for (int done = 0; done < repetitions && (done < 3 || Nowms() - start < measurebudgetms); ++done)
        if (!round()) break;
}

std::wstring Wide(const char* bytes, size_t length)
{
    int size = MultiByteToWideChar(CP_ACP, 0, bytes, int(length), nullptr, 0);
    std::wstring out(size_t(std::max(size, 0)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes, int(length), out.data(), size);
    return out;
}

std::wstring Numbered(const wchar_t* prefix, int n, int width)
{
    wchar_t text[32];
    std::swprintf(text, 32, L"%ls%0*d", prefix, width, n);
    return text;
}

int Digits(int n)
{
    int d = 1;
    while (n >= 10) n /= 10, ++d;
    return d;
}

// Event numbers are positions in the registry's listing, which is sorted by name: zero-padded
// names keep that order numeric.
std::wstring Appname(const Treesize& size, int a) { return Numbered(L"A", a, std::max(4, Digits(size.apps - 1))); }
std::wstring Eventname(const Treesize& size, int e) { return Numbered(L"E", e, std::max(2, Digits(size.events - 1))); }

bool Setstring(HKEY key, const wchar_t* name, const std::wstring& value)
{
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

HKEY Createkey(HKEY parent, const std::wstring& name)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

std::vector<std::wstring> Subkeys(HKEY key)
{
    std::vector<std::wstring> names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

// Deletes a key with everything below it through open parent handles; Wine's RegDeleteTreeW
// takes about twice as long on a big tree.
void Deletetree(HKEY parent, const std::wstring& name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    for (const std::wstring& subkey : Subkeys(key)) Deletetree(key, subkey);
    RegCloseKey(key);
    RegDeleteKeyW(parent, name.c_str());
}

// The registry part of a tree: applications, events with an empty .Current, labels, settings
// and every list count already stored, as after Kvx's first run. scripts/bench has written the
// list files and WAV files into the folder, with the same names.
bool Generate(const Treesize& size, const std::wstring& folder)
{
    Deletetree(HKEY_CURRENT_USER, appsroot);
    Deletetree(HKEY_CURRENT_USER, labelsroot);
    Deletetree(HKEY_CURRENT_USER, L"Software\\Kvx");
    if (size.apps > 0) {
        std::wstring last = folder + L"\\" + Appname(size, size.apps - 1) + L"-" + std::to_wstring(size.events - 1) + L".dat";
        if (GetFileAttributesW(last.c_str()) == INVALID_FILE_ATTRIBUTES) {
            std::printf("  missing list file %ls\n", last.c_str());
            return false;
        }
    }

    HKEY settings = Createkey(HKEY_CURRENT_USER, settingskey);
    if (!settings) return false;
    // No change pass at start-up and no timer: start-up is only the loading.
    Setstring(settings, L"optval1", L"0");
    Setstring(settings, L"cinterval", L"0");
    Setstring(settings, L"defdir", folder + L"\\" + soundfolder);

    HKEY labels = Createkey(HKEY_CURRENT_USER, labelsroot);
    for (int e = 0; labels && e < size.events; ++e) {
        HKEY label = Createkey(labels, Eventname(size, e));
        Setstring(label, nullptr, Numbered(L"イベント ", e, 2));
        RegCloseKey(label);
    }
    if (labels) RegCloseKey(labels);

    HKEY root = Createkey(HKEY_CURRENT_USER, appsroot);
    if (!root) return false;
    bool ok = true;
    for (int a = 0; ok && a < size.apps; ++a) {
        std::wstring appname = Appname(size, a);
        HKEY app = Createkey(root, appname);
        ok = app && Setstring(app, nullptr, Numbered(L"アプリ ", a, 4));
        for (int e = 0; ok && e < size.events; ++e) {
            HKEY event = Createkey(app, Eventname(size, e));
            HKEY current = event ? Createkey(event, L".Current") : nullptr;
            ok = current && Setstring(current, nullptr, L"") &&
                 Setstring(settings, (L"listcount" + appname + L"-" + std::to_wstring(e)).c_str(),
                           std::to_wstring(size.sounds));
            if (current) RegCloseKey(current);
            if (event) RegCloseKey(event);
        }
        if (app) RegCloseKey(app);
    }
    RegCloseKey(root);
    RegCloseKey(settings);
    return ok;
}

// The floor's table: what Kvx must hold to show and change the sounds, as plain strings.
struct Floorevent {
    std::wstring name;
    std::vector<std::wstring> sounds;
};
struct Floorapp {
    std::wstring name;
    std::wstring text;
    std::vector<Floorevent> events;
};
struct Floortable {
    std::vector<std::wstring> labelnames;
    std::vector<std::wstring> labeltexts;
    std::vector<Floorapp> apps;
    std::wstring settings[3];
};

std::wstring Readstring(HKEY key, const wchar_t* subkey, const wchar_t* name)
{
    wchar_t buffer[1024];
    DWORD size = sizeof buffer;
    if (RegGetValueW(key, subkey, name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) return {};
    return buffer;
}

std::vector<std::wstring> Readlist(const std::wstring& path)
{
    std::vector<std::wstring> entries;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return entries;
    std::string bytes;
    char chunk[8192];
    DWORD got = 0;
    // A short read of a disk file is its end: a small list costs one read.
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
        if (got < sizeof chunk) break;
    }
    CloseHandle(file);
    size_t at = 0;
    while (at < bytes.size() && entries.size() < size_t(Soundtable::capacity)) {
        size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) end = bytes.size();
        if (end > at) entries.push_back(Wide(bytes.data() + at, end - at));
        at = end + 2;
    }
    return entries;
}

// Start-up's data work done directly: the settings, the labels, every application's text and
// events, every list file, and every stored count read (written only when it differs). Keys
// are opened once each, relative to their open parent.
Floortable Loadfloor(const std::wstring& folder)
{
    Floortable table;
    HKEY settings = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, settingskey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &settings,
                    nullptr);
    const wchar_t* names[] = {L"defdir", L"cinterval", L"optval1"};
    for (int i = 0; i < 3; ++i) table.settings[i] = Readstring(settings, nullptr, names[i]);

    HKEY labels = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, labelsroot, 0, KEY_READ, &labels) == ERROR_SUCCESS) {
        table.labelnames = Subkeys(labels);
        for (const std::wstring& name : table.labelnames) table.labeltexts.push_back(Readstring(labels, name.c_str(), nullptr));
        RegCloseKey(labels);
    }

    HKEY root = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, appsroot, 0, KEY_READ, &root) == ERROR_SUCCESS) {
        for (std::wstring& appname : Subkeys(root)) {
            Floorapp app{std::move(appname), {}, {}};
            HKEY key = nullptr;
            if (RegOpenKeyExW(root, app.name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
            app.text = Readstring(key, nullptr, nullptr);
            std::vector<std::wstring> events = Subkeys(key);
            RegCloseKey(key);
            for (size_t j = 0; j < events.size(); ++j) {
                std::wstring number = std::to_wstring(j);
                Floorevent event{std::move(events[j]), Readlist(folder + L"\\" + app.name + L"-" + number + L".dat")};
                std::wstring countname = L"listcount" + app.name + L"-" + number;
                std::wstring count = std::to_wstring(event.sounds.size());
                if (Readstring(settings, nullptr, countname.c_str()) != count) Setstring(settings, countname.c_str(), count);
                app.events.push_back(std::move(event));
            }
            table.apps.push_back(std::move(app));
        }
        RegCloseKey(root);
    }
    if (settings) RegCloseKey(settings);
    return table;
}

// A change pass done directly: each application key opened once, each event's .Current opened
// relative to it, read, and given one randomly chosen path of the list held in memory, after one
// look at that file's attributes (the least that tells it is there and has not changed since its
// head was read).
void Floorpass(const Floortable& table, std::mt19937& random)
{
    HKEY root = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, appsroot, 0, KEY_ENUMERATE_SUB_KEYS, &root) != ERROR_SUCCESS) return;
    for (const Floorapp& app : table.apps) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root, app.name.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, &key) != ERROR_SUCCESS) continue;
        for (const Floorevent& event : app.events) {
            if (event.sounds.empty()) continue;
            HKEY current = nullptr;
            if (RegOpenKeyExW(key, (event.name + L"\\.Current").c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                              &current) != ERROR_SUCCESS)
                continue;
            wchar_t now[1024];
            DWORD size = sizeof now;
            RegQueryValueExW(current, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(now), &size);
            const std::wstring& pick = event.sounds[random() % event.sounds.size()];
            WIN32_FILE_ATTRIBUTE_DATA attributes;
            if (GetFileAttributesExW(pick.c_str(), GetFileExInfoStandard, &attributes)) Setstring(current, nullptr, pick);
            RegCloseKey(current);
        }
        RegCloseKey(key);
    }
    RegCloseKey(root);
}

// Private bytes are the commit charge, which PagefileUsage reports too; Wine fills only that one
// (from the process's anonymous resident memory), not PrivateUsage.
struct Memory {
    double privatemb = 0;
    double workingsetmb = 0;
};

Memory Memoryof(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) return {};
    SIZE_T privatebytes = std::max(counters.PrivateUsage, counters.PagefileUsage);
    return {double(privatebytes) / 1048576.0, double(counters.WorkingSetSize) / 1048576.0};
}

// Kvx's icon is present exactly when the shell accepts a modification of it.
bool Iconpresent()
{
    HWND form3 = FindWindowW(L"KvxForm3", nullptr);
    if (!form3) return false;
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = form3;
    record.uID = 1;
    record.uFlags = NIF_TIP;
    std::strcpy(record.szTip, "KVX");
    return Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

struct Kvxstart {
    double ms = 0;
    Memory memory;
};

// Ends the Kvx this bench started the way Windows asks a program to close, and waits for it:
// Kvx runs once per session, so the next start must find it gone.
bool Endkvx(const PROCESS_INFORMATION& process)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        HWND form1 = FindWindowW(L"KvxForm1", nullptr);
        if (form1) PostMessageW(form1, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0) return true;
    }
    std::printf("  Kvx did not end on WM_CLOSE: terminated\n");
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, INFINITE);
    return false;
}

std::optional<Kvxstart> Startkvx(const std::wstring& folder)
{
    if (FindWindowW(L"KvxForm1", nullptr)) {
        std::printf("  another Kvx is running: not measured\n");
        return std::nullopt;
    }
    std::wstring exe = folder + L"\\Kvx.exe";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    double start = Nowms();
    if (!CreateProcessW(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &process)) {
        std::printf("  cannot start %ls (error %lu)\n", exe.c_str(), GetLastError());
        return std::nullopt;
    }
    std::optional<Kvxstart> result;
    for (;;) {
        if (Iconpresent()) {
            result = Kvxstart{Nowms() - start, Memoryof(process.hProcess)};
            break;
        }
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
            std::printf("  Kvx ended before its icon appeared\n");
            break;
        }
        if (Nowms() - start > startuptimeoutms) {
            std::printf("  no icon within %.0f s\n", startuptimeoutms / 1000);
            break;
        }
        // Short enough for the resolution, long enough to leave the CPU to Kvx and wineserver.
        Sleep(2);
    }
    Endkvx(process);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

struct Kvxstarts {
    std::vector<double> ms;
    std::vector<double> privatemb;
    std::vector<double> workingsetmb;

    bool Add(const std::optional<Kvxstart>& run)
    {
        if (!run) return false;
        ms.push_back(run->ms);
        privatemb.push_back(run->memory.privatemb);
        workingsetmb.push_back(run->memory.workingsetmb);
        return true;
    }
};

// The floor's memory in a fresh process of its own, so nothing this run allocated before skews
// it: the growth of private bytes while the table is held, in KiB, as the child's exit code.
std::optional<double> Measurefloormemory(const std::wstring& folder)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" memfloor \"" + folder + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return std::nullopt;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD kib = 0;
    bool ok = GetExitCodeProcess(process.hProcess, &kib);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!ok) return std::nullopt;
    return double(kib) / 1024.0;
}

int Memfloorchild(const std::wstring& folder)
{
    Memory before = Memoryof(GetCurrentProcess());
    Floortable table = Loadfloor(folder);
    Memory after = Memoryof(GetCurrentProcess());
    // The table must still be alive when the memory is read.
    volatile size_t held = table.apps.size();
    (void)held;
    return int(std::max(0.0, after.privatemb - before.privatemb) * 1024.0);
}

bool Parsesize(const wchar_t* text, Treesize& size)
{
    wchar_t end = 0;
    if (std::swscanf(text, L"%dx%dx%d%lc", &size.apps, &size.events, &size.sounds, &end) != 3) return false;
    size.name = text;
    return size.apps >= 1 && size.apps <= maxkeyindex && size.events >= 1 && size.events <= maxkeyindex &&
           size.sounds >= 1 && size.sounds <= Soundtable::capacity;
}

void Printratio(const std::wstring& size, const char* what, double kvx, double floor, const char* unit,
                const std::string& note = {})
{
    std::printf("%-11ls %-9s kvx %8.1f %s  floor %8.1f %s  ratio %6.2f%s\n", size.c_str(), what, kvx, unit, floor, unit,
                floor > 0 ? kvx / floor : 0.0, note.c_str());
    std::fflush(stdout);
}

std::string Format(const char* pattern, double a, double b = 0, double c = 0)
{
    char text[200];
    std::snprintf(text, sizeof text, pattern, a, b, c);
    return text;
}

// Kvx with no application at all: the process, its windows and its icon, with no data.
struct Fixedcost {
    double ms = 0;
    double privatemb = 0;
};

std::optional<Fixedcost> Measureempty(const std::wstring& root)
{
    std::wstring folder = root + L"\\empty";
    Treesize empty{0, 0, 0, L"empty tree"};
    if (!Generate(empty, folder)) {
        std::printf("cannot prepare %ls\n", folder.c_str());
        return std::nullopt;
    }
    Kvxstarts starts;
    Repeat([&] { return starts.Add(Startkvx(folder)); });
    if (starts.ms.empty()) return std::nullopt;
    Fixedcost cost{Median(starts.ms), Median(starts.privatemb)};
    std::printf("%-11ls start-up  kvx %8.1f ms   (process, windows and icon, no data)\n", empty.name.c_str(), cost.ms);
    std::printf("%-11ls memory    kvx %8.1f MB   private, working set %.1f MB\n", empty.name.c_str(), cost.privatemb,
                Median(starts.workingsetmb));
    std::fflush(stdout);
    return cost;
}

bool Measuresize(const std::wstring& root, const Treesize& size, const std::optional<Fixedcost>& fixed)
{
    std::wstring folder = root + L"\\" + size.name;
    double begin = Nowms();
    if (!Generate(size, folder)) {
        std::printf("%-11ls cannot generate the tree in %ls\n", size.name.c_str(), folder.c_str());
        return false;
    }
    std::printf("%-11ls registry tree made in %.1f s: %d applications, %d events\n", size.name.c_str(),
                (Nowms() - begin) / 1000, size.apps, size.apps * size.events);
    std::fflush(stdout);

    // Start-up, the floor and Kvx in turns, so both see the same load on the machine.
    std::vector<double> floorstart;
    Kvxstarts starts;
    Repeat([&] {
        double start = Nowms();
        Floortable table = Loadfloor(folder);
        floorstart.push_back(Nowms() - start);
        return starts.Add(Startkvx(folder));
    });
    if (starts.ms.empty()) {
        std::printf("%-11ls start-up  kvx not measured\n", size.name.c_str());
    } else {
        double kvx = Median(starts.ms);
        double floor = Median(floorstart);
        std::string note = fixed ? Format("   (less the empty tree's %.0f ms: ratio %.2f)", fixed->ms,
                                          floor > 0 ? (kvx - fixed->ms) / floor : 0.0)
                                 : std::string{};
        Printratio(size.name, "start-up", kvx, floor, "ms", note);
    }

    // One change pass, Kvx's own code in this process against the floor, in turns.
    listfolder = folder;
    Buildtable();
    Loadalllists();
    Seedrandom(1);
    std::mt19937 random(1);
    Floortable table = Loadfloor(folder);
    std::vector<double> kvxpass;
    std::vector<double> floorpass;
    Repeat([&] {
        double start = Nowms();
        Changepass();
        kvxpass.push_back(Nowms() - start);
        start = Nowms();
        Floorpass(table, random);
        floorpass.push_back(Nowms() - start);
        return true;
    });
    Printratio(size.name, "pass", Median(kvxpass), Median(floorpass), "ms");

    // Memory after start-up.
    std::optional<double> floormb = Measurefloormemory(folder);
    if (!starts.privatemb.empty() && floormb) {
        double total = Median(starts.privatemb);
        double data = fixed ? total - fixed->privatemb : total;
        std::string note = Format("   (kvx: private %.1f MB less %.1f MB with no data; working set %.1f MB)", total,
                                  fixed ? fixed->privatemb : 0.0, Median(starts.workingsetmb));
        Printratio(size.name, "memory", data, *floormb, "MB", note);
    }
    return true;
}
}

int wmain(int argc, wchar_t** argv)
{
    if (argc == 3 && std::wcscmp(argv[1], L"memfloor") == 0) return Memfloorchild(argv[2]);
    if (argc == 4 && std::wcscmp(argv[1], L"convert") == 0) return Conversionbench(argv[2], argv[3]);
    if (argc < 3) {
        std::printf("usage: kvxbench <work folder> <apps>x<events>x<sounds>...\n");
        return 2;
    }
    std::wstring root = argv[1];
    std::vector<Treesize> sizes;
    for (int i = 2; i < argc; ++i) {
        Treesize size;
        if (!Parsesize(argv[i], size)) {
            std::printf("not a size: %ls (applications x events x sounds, e.g. 200x30x5; at most 101 sounds)\n", argv[i]);
            return 2;
        }
        sizes.push_back(size);
    }
    std::optional<Fixedcost> fixed = Measureempty(root);
    bool ok = fixed.has_value();
    for (const Treesize& size : sizes) ok = Measuresize(root, size, fixed) && ok;
    return ok ? 0 : 1;
}
