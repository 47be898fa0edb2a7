#pragma once
// What only the operating system can give: numbers that no run of the
// program repeats. The program's own generator (util/Random.h) starts alike
// on every machine so that play replays; values that must differ between
// installations or runs (a new player's identity) come from here instead.
#include <cstddef>
#include <cstdint>

// Fills `dest` from the system's random source; false when it has none.
bool readSystemRandom(void* dest, size_t count);

// 32 bits from the system's random source; when it has none, the clocks,
// the process id and a call counter mixed together (different on every call
// and in every process, though not secret).
uint32_t systemRandom32();

// The running process's id.
long processId();
