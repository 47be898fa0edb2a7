#pragma once
// The in-game console: a list of recent lines, each also written to the log.
// The newest lines are drawn over the frame for a few seconds after they were
// printed (the engine ticks the console after the focus manager and draws it
// after the screens).
#include <deque>
#include <vector>

#include "util/Format.h"
#include "util/WString.h"

class Console {
public:
    static constexpr size_t MAX_LINES = 256;
    // A line stays on screen this long after it was printed, fading out in
    // the last second; at most SHOWN_LINES lines are on screen.
    static constexpr double SHOW_SECONDS = 6.0;
    static constexpr size_t SHOWN_LINES = 8;

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
    void clear();

    // Prints on the active console, or only logs when there is none.
    template <class... A>
    static void printActive(std::u16string_view fmt, const A&... args) {
        printTo(active(), formatString(fmt, args...));
    }

    // Moves the console's clock to `now` (physical seconds, the clock lines
    // are stamped with).
    void tick(double now);

    // The lines on screen at the last tick, oldest first, with their opacity.
    struct Shown {
        WString text;
        float alpha = 1.0f;
    };
    std::vector<Shown> shownLines() const;

    std::deque<WString> lines;

private:
    static void printTo(Console* c, const WString& text);
    std::deque<double> printedAt;  // one per line
    double clock = 0.0;
    Console* previous;
};
