#pragma once
// The in-game console: a list of recent lines, each also written to the log.
// It is drawn over the frame by the graphics layer.
#include <deque>

#include "util/Format.h"
#include "util/WString.h"

class Console {
public:
    static constexpr size_t MAX_LINES = 256;

    Console();
    ~Console();
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    // The console of the running engine, or null (lines then go to the log only).
    static Console* active();

    void printLine(std::u16string_view text);
    template <class... A>
    void print(std::u16string_view fmt, const A&... args) {
        printLine(formatString(fmt, args...));
    }
    void clear() { lines.clear(); }

    // Prints on the active console, or only logs when there is none.
    template <class... A>
    static void printActive(std::u16string_view fmt, const A&... args) {
        printTo(active(), formatString(fmt, args...));
    }

    std::deque<WString> lines;

private:
    static void printTo(Console* c, const WString& text);
    Console* previous;
};
