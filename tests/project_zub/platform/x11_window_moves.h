#pragma once
// Moves of a program's window that come from outside the program, the way
// the window manager makes them at the user's bidding, and input events as
// the X server delivers them (kept apart from the tests: the X headers
// define names that clash with everything else).
namespace x11test {

// Asks the window system to move the top-level window of the class (its
// WM_CLASS) by dx, dy on the screen. False when there is no such window.
bool moveWindowBy(const char* display, const char* windowClass, int dx, int dy);

// Tells the window of the class that its frame is now this wide on each
// side, as the window manager tells it when it frames the window anew (a
// new theme). False when there is no such window.
bool announceFrame(const char* display, const char* windowClass, int left, int right, int top, int bottom);

// Sends the window of the class the X server's event of the key (a keysym
// name, "s") going down or up, or of the mouse button (1 the left) going
// down or up where the mouse stands, stamped with the server time `time`
// (milliseconds), as the server delivers input (XSendEvent); the event is
// on its way to the window when the call returns. False when there is no
// such window.
bool sendKey(const char* display, const char* windowClass, const char* key, bool down, unsigned long time);
bool sendButton(const char* display, const char* windowClass, unsigned int button, bool down, unsigned long time);

}  // namespace x11test
