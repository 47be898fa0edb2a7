#pragma once
// Facts about the program and the machine: the version text, the user's
// language and the system-information lines of the start-up log.
#include <string_view>

#include "util/WString.h"

// "Tumbrodemo v1.25 t 64bit": product folder name, version, build letter and
// the width of the build.
WString getVersionString();

// The ISO 639 code of the user's language ("de" for a locale "de_DE.UTF-8"),
// taken from $LC_ALL, $LC_MESSAGES or $LANG; empty when none is set or the
// locale names no language ("C", "POSIX").
WString getSystemLanguageIsoCode();

// The language part of a locale name: the letters before '_', '-', '.' or '@',
// in lower case, when there are two or three of them; empty otherwise
// (including "C" and "POSIX").
WString isoLanguageFromLocaleName(std::string_view localeName);

// Writes the system-information lines to the log: program version, operating
// system, processor, memory, user and machine name, locale, executable,
// current folder and user folder.
void logSystemInformation();
