#include "x11_window_moves.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>

namespace x11test {
namespace {

// The window of the class at or below `w`, or 0.
Window findByClass(Display* d, Window w, const char* windowClass) {
    XClassHint hint{};
    if (XGetClassHint(d, w, &hint)) {
        const bool match = hint.res_class && std::strcmp(hint.res_class, windowClass) == 0;
        if (hint.res_name) XFree(hint.res_name);
        if (hint.res_class) XFree(hint.res_class);
        if (match) return w;
    }
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(d, w, &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && !found; ++i) found = findByClass(d, children[i], windowClass);
        if (children) XFree(children);
    }
    return found;
}

// Sends the window of the class a key or button event of the type, filled
// in where the mouse stands in it.
bool sendInput(const char* display, const char* windowClass, int type, unsigned int detail, unsigned long time) {
    Display* d = XOpenDisplay(display);
    if (!d) return false;
    const Window root = DefaultRootWindow(d);
    const Window w = findByClass(d, root, windowClass);
    if (w) {
        Window rootHit = 0, child = 0;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned int state = 0;
        XQueryPointer(d, w, &rootHit, &child, &rootX, &rootY, &x, &y, &state);
        XEvent e{};
        long mask = 0;
        // What key and button events have alike: where and when.
        auto place = [&](auto& event) {
            event.root = root;
            event.x = x;
            event.y = y;
            event.x_root = rootX;
            event.y_root = rootY;
            event.state = state;
            event.same_screen = True;
            event.time = time;
        };
        if (type == KeyPress || type == KeyRelease) {
            place(e.xkey);
            e.xkey.keycode = detail;
            mask = type == KeyPress ? KeyPressMask : KeyReleaseMask;
        } else {
            place(e.xbutton);
            e.xbutton.button = detail;
            // A button going up is held until then.
            if (type == ButtonRelease) e.xbutton.state |= Button1Mask << (detail - 1);
            mask = type == ButtonPress ? ButtonPressMask : ButtonReleaseMask;
        }
        e.xany.type = type;
        e.xany.display = d;
        e.xany.window = w;
        XSendEvent(d, w, False, mask, &e);
        XSync(d, False);
    }
    XCloseDisplay(d);
    return w != 0;
}

}  // namespace

bool moveWindowBy(const char* display, const char* windowClass, int dx, int dy) {
    Display* d = XOpenDisplay(display);
    if (!d) return false;
    const Window root = DefaultRootWindow(d);
    const Window w = findByClass(d, root, windowClass);
    if (w) {
        // Where the window stands on the screen; a window manager that
        // frames it takes the request for the frame's move.
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(d, w, root, 0, 0, &x, &y, &child);
        XMoveWindow(d, w, x + dx, y + dy);
        XSync(d, False);
    }
    XCloseDisplay(d);
    return w != 0;
}

bool announceFrame(const char* display, const char* windowClass, int left, int right, int top, int bottom) {
    Display* d = XOpenDisplay(display);
    if (!d) return false;
    const Window w = findByClass(d, DefaultRootWindow(d), windowClass);
    if (w) {
        const long extents[4] = {left, right, top, bottom};
        XChangeProperty(d, w, XInternAtom(d, "_NET_FRAME_EXTENTS", False), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(extents), 4);
        XSync(d, False);
    }
    XCloseDisplay(d);
    return w != 0;
}

bool sendKey(const char* display, const char* windowClass, const char* key, bool down, unsigned long time) {
    Display* d = XOpenDisplay(display);
    if (!d) return false;
    const unsigned int code = XKeysymToKeycode(d, XStringToKeysym(key));
    XCloseDisplay(d);
    return code != 0 && sendInput(display, windowClass, down ? KeyPress : KeyRelease, code, time);
}

bool sendButton(const char* display, const char* windowClass, unsigned int button, bool down, unsigned long time) {
    return sendInput(display, windowClass, down ? ButtonPress : ButtonRelease, button, time);
}

}  // namespace x11test
