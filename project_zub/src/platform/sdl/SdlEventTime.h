#pragma once
// The window system's own time of a key or button event. The X server stamps
// each one as it happens, but may deliver them in another order: a window
// manager that holds the pointer while it looks at a press (to focus or raise
// the window) lets a key released just after the press arrive first. SDL
// hands the X server's events on (SDL_SYSWMEVENT) ahead of its own events
// made of them, where it is asked to.
#include <SDL.h>

#include <cstdint>

namespace platform {

// Asks SDL to hand on the window system's events.
void enableWindowSystemEvents();
// The X server's time (milliseconds, wrapping) of the key or button event
// that `e`, a window system event, carries; 0 for any other event.
uint32_t inputEventTime(const SDL_Event& e);
// True when server time `a` comes after `b` (the clock wraps).
inline bool cameAfter(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b) > 0; }

}  // namespace platform
