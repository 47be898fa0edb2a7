#pragma once
// What the X display tests ask of the X server itself (kept apart: the X
// headers define names that clash with everything else).
namespace x11test {

// The display's server answers a client.
bool serverAnswers(const char* display);

// A window manager has taken charge of the display's screen.
bool windowManagerRuns(const char* display);

}  // namespace x11test
