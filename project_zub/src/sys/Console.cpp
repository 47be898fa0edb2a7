#include "sys/Console.h"

#include "sys/Logger.h"

namespace {
Console* current = nullptr;
}

Console::Console() : previous(current) { current = this; }

Console::~Console() {
    if (current == this) current = previous;
}

Console* Console::active() { return current; }

void Console::printLine(std::u16string_view text) {
    // A line may hold several: keep them apart so the drawn list stays tidy.
    for (WString& line : splitLines(text)) {
        lines.push_back(std::move(line));
        if (lines.size() > MAX_LINES) lines.pop_front();
    }
    Logger::get().logLine(text);
}

void Console::printTo(Console* c, const WString& text) {
    if (c) c->printLine(text);
    else Logger::get().logLine(text);
}
