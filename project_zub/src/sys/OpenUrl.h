#pragma once
// Opening a web address (or a local document) in the user's programs after the
// game has shut down. The address is handed to "xdg-open" as one argument of
// an argument vector; no shell ever sees it.
#include <string>
#include <string_view>
#include <vector>

#include "util/WString.h"

// What may be opened:
// - "http://" or "https://" (scheme in any case) followed by a host and made
//   only of the characters of a URL (letters, digits and - . _ ~ : / ? # [ ] @
//   & = + , %); blanks, control characters and characters that a shell would
//   interpret are refused even though no shell is used, since the desktop's
//   opener may be a script itself;
// - the path of an existing regular file that does not start with '-' and
//   has no control characters.
bool isOpenableAddress(std::u16string_view address);

// Starts xdg-open with the address and returns at once (never waits for it).
// False, logged, when the address is refused or the opener cannot be started.
// A relative file path is made absolute first.
bool openUrlAfterExit(std::u16string_view address);

// Replaces the way the opener is started (tests); returns the process id or -1.
// Null restores the real one.
using OpenUrlSpawner = long (*)(const std::vector<std::string>& argv);
void setOpenUrlSpawner(OpenUrlSpawner spawner);
