#pragma once
// Level files made from a test level's objects and replayed into another,
// the way the game server reads one: every object created under its UID,
// then the bodies, read in report mode, then the global pass.
#include <cstdint>
#include <vector>

#include "TestLevel.h"
#include "util/WString.h"

namespace leveltest {

// The objects `level` registered after UID `after`, each created under its
// UID, then their bodies in ascending UIDs, with the bodies of `first` (the
// level's own objects, such as a list) before them and of `last` after
// them. Bodies are written as they are: nothing checks what they name.
std::vector<uint8_t> levelFileOf(TestLevel& level, int32_t after, const std::vector<ZubBase*>& first = {},
                                 const std::vector<ZubBase*>& last = {});

// Reads the file into the level with registrations closed, then runs the
// global pass; false (with the packet's complaint in `error`) when the file
// was refused.
bool replayLevelFile(TestLevel& level, const std::vector<uint8_t>& file, WString* error = nullptr);

}  // namespace leveltest
