#pragma once
// One running instance per user: the first process takes an advisory lock on
// "Tumbrodemo.lock" in the user folder and holds it until it ends (the system
// drops it however the process ends, so a crash leaves no stale lock). A
// second start finds it held and returns at once.
#include <string>

// True when this process may run: it now holds the lock, or the lock file
// could not be used at all (logged; a broken user folder must not stop the
// game). False when another process holds it. In the error manager's test
// mode no lock is taken and the answer is true, so tests run side by side.
bool acquireSingleInstance();

// The same in the given folder (ending with '/'), also in test mode.
bool acquireSingleInstanceIn(const std::string& folder);

// Drops the lock (also done at exit).
void releaseSingleInstance();

inline constexpr const char* kSingleInstanceLockName = "Tumbrodemo.lock";
