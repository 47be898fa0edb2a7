#include "sys/Console.h"

#include <algorithm>

#include "sys/Logger.h"
#include "sys/TimeKeeper.h"

namespace {
Console* current = nullptr;
}

Console::Console() : previous(current) { current = this; }

Console::~Console() {
    if (current == this) current = previous;
}

Console* Console::active() { return current; }

void Console::printLine(std::u16string_view text) {
    const double now = TimeKeeper::getPhysicalTime();
    // A line may hold several: keep them apart so the drawn list stays tidy.
    for (WString& line : splitLines(text)) {
        lines.push_back(std::move(line));
        printedAt.push_back(now);
        if (lines.size() > MAX_LINES) {
            lines.pop_front();
            printedAt.pop_front();
        }
    }
    Logger::get().logLine(text);
}

void Console::clear() {
    lines.clear();
    printedAt.clear();
}

void Console::tick(double now) { clock = now; }

std::vector<Console::Shown> Console::shownLines() const {
    std::vector<Shown> shown;
    size_t first = lines.size();
    while (first > 0 && lines.size() - first < SHOWN_LINES && clock - printedAt[first - 1] < SHOW_SECONDS) --first;
    for (size_t i = first; i < lines.size(); ++i) {
        const double left = SHOW_SECONDS - (clock - printedAt[i]);
        shown.push_back(Shown{lines[i], static_cast<float>(std::clamp(left, 0.0, 1.0))});
    }
    return shown;
}

void Console::printTo(Console* c, const WString& text) {
    if (c) c->printLine(text);
    else Logger::get().logLine(text);
}
