#pragma once
// The program's folders. Paths are narrow byte strings (UTF-8 by convention)
// and folders end with '/'.
#include <string>

// The per-user, per-version data folder: $XDG_DATA_HOME (when set to an
// absolute path, else ~/.local/share) followed by "/Velmora studios",
// "/Tumbrodemo" and "/1.25/". Created on demand (missing folders are made
// with mode 0700); a folder that cannot be created is logged and its path is
// still returned, so that the writes that follow fail and log in turn. It
// holds the user settings, the log, high scores, profiles, screenshots and
// crash files.
std::string getApplicationDataPath();

// The same folder: the name under which the game reaches it.
std::string getUserDataFolder();

// Replaces the folder that getApplicationDataPath gives (for tests and tools;
// a '/' is added when missing). An empty path restores the normal folder.
void setUserDataFolderOverride(const std::string& folder);

// The running program's folder followed by "/" ("./" when it cannot be found).
std::string getExecutableFolderPath();

// Replaces the folder that getExecutableFolderPath gives (tests that run the
// program in-process over a content folder of their own; a '/' is added when
// missing). An empty path restores the program's own folder.
void setExecutableFolderOverride(const std::string& folder);

// The folder names below the application-data root, without separators.
inline constexpr const char* kCompanyFolderName = "Velmora studios";
inline constexpr const char* kProductFolderName = "Tumbrodemo";
inline constexpr const char* kVersionFolderName = "1.25";
