// The random changer: the one-minute tick, the change pass and the per-event pick.
#pragma once

#include "outcome.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Ticks since the last pass; only Timertick changes it.
extern int16_t tickcount;

void Seedrandom(uint32_t seed);
void Seedfromclock();
// Uniform in [0, 1); never 1.
double Drawrandom();

// What a pass gives the event whose .Current holds current: drawn uniformly among the sounds of
// its entries (a file, or the sounds a listed folder holds now, each sound counted once) whose
// files exist and play (or whose converted copies are made), and with norepeat among those that
// differ from current; the sound's file, or its copy. Empty when there is none.
std::wstring Pickentry(int16_t app, int16_t event, const std::wstring& current);
// The same among any entries (the rows of a list being edited, one folder row).
std::wstring Pickamong(const std::vector<std::wstring>& entries, const std::wstring& current);
// What playing or choosing one row gives Windows: a file's own (Playedfile), or one of a folder's
// sounds at random. Nothing when it has none that plays now.
std::optional<std::wstring> Playedentry(const std::wstring& entry);
// Writes Pickentry into the event's .Current value (recording the user's own sound first, the
// first time); with no pick the value is left alone. Failed when a pick could not be written.
Outcome Changesound(int16_t app, int16_t event);
// What a pass came to: the events given another sound, and those whose pick could not be written.
struct Passresult {
    int changed = 0;
    int failed = 0;
};
// Changesound for every event of every application.
Passresult Changepass();
// The change at start-up: one pass when optval1 is set. Returns whether it ran.
bool Startuppass();
// One tick of Timer1: runs a pass every cinterval ticks, none while paused. Returns whether a
// pass ran.
bool Timertick();
// "今すぐ変更": a pass now, whatever the interval or the pause; the next timed pass is a whole
// interval later.
Passresult Changenow();
// Minutes until the next timed pass (the interval less the ticks since the last).
int16_t Minutestonextpass();
