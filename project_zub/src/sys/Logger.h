#pragma once
// The engine log: one line per call, each line "+<ms>\t<text>" where <ms> is
// the milliseconds since the previous line (just "\t<text>" when that is zero),
// ended by CRLF and flushed at once so that nothing is lost on a crash.
#include <cstdio>
#include <string>
#include <vector>

#include "util/Format.h"
#include "util/WString.h"

class Logger {
public:
    Logger();
    ~Logger();
    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    // The process-wide log. Lines go nowhere until a file is opened, except
    // that they are kept in a short history and optionally echoed to stderr.
    static Logger& get();

    // Appends to the file at `path`.
    bool openFile(const std::string& path);
    // Starts the log of a new run: a log already at `path` is kept as
    // "<path>.old" (replacing the one kept before) and the file starts empty.
    bool startSession(const std::string& path);
    void closeFile();
    bool isOpen() const { return file != nullptr; }
    bool isEchoing() const { return bEcho; }
    void setEcho(bool echoToStderr) { bEcho = echoToStderr; }

    void logLine(std::u16string_view text);

    template <class... A>
    void log(std::u16string_view fmt, const A&... args) {
        logLine(formatString(fmt, args...));
    }

    // The most recent lines (without the time prefix), newest last.
    const std::vector<WString>& history() const { return recent; }
    void clearHistory() { recent.clear(); }

private:
    FILE* file = nullptr;
    bool bEcho = false;
    unsigned long long lastLineMs = 0;
    bool bHaveLastLine = false;
    std::vector<WString> recent;
};

// Logs "<function>(): <message>" in the engine's usual form.
#define ZUB_LOG(...) Logger::get().log(u"%s(): %s", zubFunctionName(__PRETTY_FUNCTION__), formatString(__VA_ARGS__))

// "Class::method" from a compiler's pretty function signature.
std::string zubFunctionName(const char* prettyFunction);
