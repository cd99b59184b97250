// The scheme table as both programs read it from the registry: the application list, each
// application's events and the event labels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The subkey list of one registry key.
struct Keylist {
    int16_t last = -1;                 // index of the last entry; -1 when empty
    std::wstring path;                 // key path below HKEY_CURRENT_USER plus a backslash
    std::vector<std::wstring> names;   // subkey names in enumeration order
    std::vector<std::wstring> texts;   // each subkey's default value, or its name when that is empty
                                       // (event lists: the name, as events show their labels)
    std::vector<int16_t> labelidx;     // event lists only: index into eventlabels, or -1
};

inline constexpr wchar_t appsroot[] = L"AppEvents\\Schemes\\Apps";
inline constexpr wchar_t labelsroot[] = L"AppEvents\\EventLabels";

// apps[0] lists the applications, apps[i] the events of application i (1-based).
extern std::vector<Keylist> apps;
extern Keylist eventlabels;

// Indexes are 16-bit: a key with more subkeys than that is listed up to this index, which
// leaves room for loops that run to the count inclusive and for one more event added by the
// editor.
inline constexpr int32_t maxkeyindex = INT16_MAX - 2;

// Reads the subkeys of keypath (below HKEY_CURRENT_USER) into a slot: 0 the application list,
// -1 the event labels, i >= 1 the events of application i. apps is resized to end at the slot.
// Subkeys past maxindex are left out.
void Loadkeys(int16_t slot, const std::wstring& keypath, int32_t maxindex = maxkeyindex);
// Index of the label key named exactly (case-sensitive) name, or -1.
int16_t Findlabel(const std::wstring& name);
// Number of applications in apps[0].
int16_t Appcount();
// Display text of event k of application a: its label, or its key name when it has none.
std::wstring Eventtext(int16_t a, int16_t k);

// The application list and each application's events; the labels stay as they are.
void Loadapps();
// The whole tree: the labels first, since reading each application's events looks its event
// names up in them, then Loadapps.
void Loadtree();

// Whether (app, event) names an event of the table.
bool Validevent(int16_t app, int16_t event);
// Calls visit(app, event) for every event of every application, in table order.
template <typename Visit>
void Foreachevent(Visit&& visit)
{
    int16_t n = Appcount();
    for (int16_t i = 1; i <= n && size_t(i) < apps.size(); ++i)
        for (int16_t j = 0; j <= apps[size_t(i)].last; ++j) visit(i, j);
}

// AppEvents\Schemes\Apps\<appname>\<eventname>\.Current: the key whose default value is the
// event's current sound.
std::wstring Currentpath(const std::wstring& appname, const std::wstring& eventname);
// Currentpath of event `event` of application `app` of the table.
std::wstring Currentkey(int16_t app, int16_t event);
