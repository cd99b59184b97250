// The random changer: the one-minute tick, the change pass and the per-event pick.
#pragma once

#include <cstdint>

// Ticks since the last pass; only Timertick changes it.
extern int16_t tickcount;

void Seedrandom(uint32_t seed);
void Seedfromclock();
// Uniform in [0, 1); never 1.
double Drawrandom();

// Writes a randomly picked entry of the event's list into its .Current value; an empty list
// leaves the value alone.
void Changesound(int16_t app, int16_t event);
// Changesound for every event of every application.
void Changepass();
// The change at start-up: one pass when optval1 is set. Returns whether it ran.
bool Startuppass();
// One tick of Timer1: runs a pass every cinterval ticks. Returns whether a pass ran.
bool Timertick();
