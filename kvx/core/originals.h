// The sounds the user had before Kvx changed them: each event's .Current value as it was before
// Kvx first wrote it, kept under HKEY_CURRENT_USER\Software\Kvx\original as the value
// <application key>\<event key>, so that they can be put back.
#pragma once

#include "registry.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

inline constexpr wchar_t originalskey[] = L"Software\\Kvx\\original";

// Learns which events are recorded, once, so that a pass asks the registry nothing more for them.
void Loadoriginals();
// The same in the background, for a start-up that has more urgent work: the first record or
// restore waits for it.
void Loadoriginalslater();
// An event's .Current key, open to read and write (null while it does not exist), and its value
// byte for byte as stored: what a first change records.
struct Currentvalue {
    Regkey key;
    Regdata value;
};
// The .Current of (app, event) as it is now, whatever its type and length; nothing when its
// value cannot be read or the key not written (a key the user may not change). Such an event is
// left alone, so that no wrong original is ever recorded.
std::optional<Currentvalue> Opencurrent(int16_t app, int16_t event);
// The same through the application's key held open by a pass (null: through the whole path).
std::optional<Currentvalue> Opencurrent(int16_t app, int16_t event, HKEY appkey);
// The key of the application a pass is at, opened once for all its events; null when it cannot
// be opened, and then each event's key is opened by its whole path.
class Appkey {
public:
    HKEY Get(int16_t app);

private:
    int16_t app_ = 0;
    Regkey key_;
};
// The key the records go into, opened at the first record a pass writes and kept open for the
// rest of the pass: one opening a pass, not one an event.
class Recordkey {
public:
    // Null when it cannot be opened (nor created).
    HKEY Get();

private:
    Regkey key_;
};
// Writes path into the .Current value of (app, event), first recording the value there now
// exactly (its type and its bytes) when the event has no record yet. False when it could not be written; nothing is
// written while the record cannot be stored.
bool Writecurrent(int16_t app, int16_t event, const Currentvalue& current, const std::wstring& path);
// The same within a pass that holds the records' key open.
bool Writecurrent(int16_t app, int16_t event, const Currentvalue& current, const std::wstring& path,
                  Recordkey& records);

struct Restoreresult {
    int restored = 0;  // values written back
    int failed = 0;    // records kept because their value could not be written back
};
// Writes every recorded value back into its event's .Current, type and bytes as recorded, for
// the events that still exist, and removes the records (those of events gone too).
Restoreresult Restoreoriginals();
