// Kvx's bench: start-up of the real Kvx.exe, one change pass and Kvx's memory on a generated
// sound-event tree, each beside the floor, the least registry and file work the same job needs,
// done here directly in the same run (floor.cpp).
//
//   kvxbench <work folder> <apps>x<events>x<sounds>...
//   kvxbench memfloor <tree folder>                      child run: the floor's memory
//   kvxbench convert <song> <folder>                     a song converted (conversionbench.cpp)
//
// The work folder holds one folder per tree ("empty", "200x30x5"...) with a copy of Kvx.exe and
// of the trivial window program (kvxbenchwindow.exe), Kvx's list files, WAV files, folders of
// them and MP3s, written by scripts/bench; this program writes the registry part (tree.cpp) and
// makes the MP3s' wave copies.
#include "changer.h"
#include "conversionbench.h"
#include "convertedcopies.h"
#include "floor.h"
#include "folders.h"
#include "keylist.h"
#include "listedsounds.h"
#include "listfiles.h"
#include "originals.h"
#include "programs.h"
#include "schemetable.h"
#include "settings.h"
#include "timing.h"
#include "tree.h"
#include "userfolders.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {
constexpr wchar_t floorrecordkey[] = L"Software\\KvxBench\\original";

bool Parsesize(const wchar_t* text, Treesize& size)
{
    wchar_t end = 0;
    if (std::swscanf(text, L"%dx%dx%d%lc", &size.apps, &size.events, &size.sounds, &end) != 3) return false;
    size.name = text;
    // Two more entries in a tenth of the lists: a folder and an MP3.
    return size.apps >= 1 && size.apps <= maxkeyindex && size.events >= 1 && size.events <= maxkeyindex &&
           size.sounds >= 1 && size.sounds + 2 <= Soundtable::capacity;
}

void Printratio(const std::wstring& size, const char* what, double kvx, double floor, const char* unit,
                const std::string& note = {})
{
    std::printf("%-11ls %-10s kvx %8.1f %s  floor %8.1f %s  ratio %6.2f%s\n", size.c_str(), what, kvx, unit, floor,
                unit, floor > 0 ? kvx / floor : 0.0, note.c_str());
    std::fflush(stdout);
}

std::string Format(const char* pattern, double a, double b = 0, double c = 0)
{
    char text[200];
    std::snprintf(text, sizeof text, pattern, a, b, c);
    return text;
}

// Kvx with no application at all: its memory with no data is what the tree's is measured beyond.
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
    Starts starts;
    Starts window;
    Repeat([&] { return starts.Add(Startkvx(folder)) && window.Add(Startwindowprogram(folder)); });
    if (starts.ms.empty()) return std::nullopt;
    Fixedcost cost{Median(starts.ms), Median(starts.privatemb)};
    std::printf("%-11ls start-up   kvx %8.1f ms   (process, windows and icon, no data); a window program %.1f ms\n",
                empty.name.c_str(), cost.ms, Median(window.ms));
    std::printf("%-11ls memory     kvx %8.1f MB   private, working set %.1f MB\n", empty.name.c_str(), cost.privatemb,
                Median(starts.workingsetmb));
    std::fflush(stdout);
    return cost;
}

// Kvx's engine in this process on the tree, its MP3s' copies made where Kvx.exe finds them.
void Loadkvx(const std::wstring& folder)
{
    listfolder = folder;
    Buildtable();
    Loadoriginals();
    Loadalllists();
    // Where the running Kvx keeps its copies, in this prefix.
    convertedfolder = Userfolders().converted;
    Createfolders(convertedfolder);
    Convertlistedsounds();
}

void Measurestartup(const Treesize& size, const std::wstring& folder)
{
    // The floor, Kvx and the window program in turns, so all see the same load on the machine.
    // Under Wine a program's start looks for each library it loads in its own folder first,
    // reading the folder whole each time, so a folder of many list files slows any program
    // started from it: the window program starts beside Kvx.exe, and once from a small folder
    // to show what that costs.
    std::vector<double> floorstart;
    std::vector<double> enginestart;
    Starts starts;
    Starts window;
    Starts smallfolder;
    Repeat([&] {
        double start = Nowms();
        Floortable table = Loadfloor(folder);
        floorstart.push_back(Nowms() - start);
        // Kvx's own work before its icon, in this process without its windows: where the time goes.
        start = Nowms();
        Buildtable();
        Removeleftovers();
        Loadalllists();
        Loadsettings();
        enginestart.push_back(Nowms() - start);
        return starts.Add(Startkvx(folder)) && window.Add(Startwindowprogram(folder)) &&
               smallfolder.Add(Startwindowprogram());
    });
    if (starts.ms.empty()) {
        std::printf("%-11ls start-up   kvx not measured\n", size.name.c_str());
        return;
    }
    double kvx = Median(starts.ms);
    double floor = Median(floorstart);
    double fixed = Median(window.ms);
    Printratio(size.name, "start-up", kvx - fixed, floor, "ms",
               Format("   (%.0f ms less a window program's %.0f ms beside it; %.0f ms from a small folder)", kvx, fixed,
                      Median(smallfolder.ms)));
    Printratio(size.name, "its data", Median(enginestart), floor, "ms", "   (Kvx's work before its icon, in this process, no window)");
}

void Measurepass(const Treesize& size, const std::wstring& folder)
{
    Seedrandom(1);
    std::mt19937 random(1);
    Floortable table = Loadfloor(folder);
    Floorknown known = Learnfloor(table);
    Floorrecords records{floorrecordkey, {}};
    std::vector<double> kvxfirst, floorfirst, kvxlater, floorlater;
    auto timed = [](std::vector<double>& samples, auto&& pass) {
        // Every event holds another sound than any its list offers, so every event is written.
        Setallcurrent();
        double start = Nowms();
        pass();
        samples.push_back(Nowms() - start);
    };
    Repeat([&] {
        // A first pass records every user's own sound before replacing it.
        Deletetree(HKEY_CURRENT_USER, originalskey);
        Loadoriginals();
        timed(kvxfirst, [] { Changepass(); });
        Deletetree(HKEY_CURRENT_USER, floorrecordkey);
        records.recorded.clear();
        timed(floorfirst, [&] { Floorpass(table, known, records, random); });
        timed(kvxlater, [] { Changepass(); });
        timed(floorlater, [&] { Floorpass(table, known, records, random); });
        return true;
    });
    Printratio(size.name, "first pass", Median(kvxfirst), Median(floorfirst), "ms", "   (recording each original)");
    Printratio(size.name, "pass", Median(kvxlater), Median(floorlater), "ms");
}

bool Measuresize(const std::wstring& root, const Treesize& size, const std::optional<Fixedcost>& fixed)
{
    std::wstring folder = root + L"\\" + size.name;
    double begin = Nowms();
    if (!Generate(size, folder)) {
        std::printf("%-11ls cannot generate the tree in %ls\n", size.name.c_str(), folder.c_str());
        return false;
    }
    Loadkvx(folder);
    size_t pending = Unconvertedsounds().size();
    std::printf("%-11ls tree made in %.1f s: %d applications, %d events, %zu sounds listed%s\n", size.name.c_str(),
                (Nowms() - begin) / 1000, size.apps, size.apps * size.events, Listedsounds().size(),
                pending ? ", some not converted" : ", copies made");
    std::fflush(stdout);

    Measurestartup(size, folder);
    Measurepass(size, folder);

    // Memory after start-up, beyond Kvx's with no data.
    Starts starts;
    starts.Add(Startkvx(folder));
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
            std::printf("not a size: %ls (applications x events x sounds, e.g. 200x30x5; at most 99 sounds)\n", argv[i]);
            return 2;
        }
        sizes.push_back(size);
    }
    std::optional<Fixedcost> fixed = Measureempty(root);
    bool ok = fixed.has_value();
    for (const Treesize& size : sizes) ok = Measuresize(root, size, fixed) && ok;
    return ok ? 0 : 1;
}
