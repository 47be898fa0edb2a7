#pragma once
// The game's manual, "readme.htm" beside the program (the help page's
// Manual link opens it): how to play, the controls, and where the game
// keeps its saved files.
#include <string>

namespace contentgen {

inline constexpr const char* kReadmeFileName = "readme.htm";

// The page, as UTF-8 HTML.
std::string readmePage();

}  // namespace contentgen
