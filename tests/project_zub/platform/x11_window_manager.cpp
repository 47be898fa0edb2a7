#include "x11_window_manager.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace x11test {

bool serverAnswers(const char* display) {
    Display* d = XOpenDisplay(display);
    if (!d) return false;
    XCloseDisplay(d);
    return true;
}

bool windowManagerRuns(const char* display) {
    Display* d = XOpenDisplay(display);
    if (!d) return false;
    // A window manager at work names its own window on the root window
    // (once it redirects the root window's maps to itself).
    const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", True);
    bool runs = false;
    if (check != None) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, DefaultRootWindow(d), check, 0, 1, False, XA_WINDOW, &type, &format, &count, &after,
                               &data) == Success) {
            runs = type == XA_WINDOW && count == 1;
            if (data) XFree(data);
        }
    }
    XCloseDisplay(d);
    return runs;
}

}  // namespace x11test
