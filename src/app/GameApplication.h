#pragma once
// The game on the engine: the hooks the engine's start-up calls (the global
// object, the language) and the entry that runs the program with them.
#include <string>
#include <vector>

#include "engine/Application.h"
#include "engine/ZubMain.h"

// The game's global object (a GameGlobal over the command line) and the
// engine's language object with the availability mask and key names.
ApplicationHooks gameApplicationHooks(std::vector<std::string> arguments);

// Runs the game until it ends; returns the program's exit code.
int runGame(const RunOptions& options);
