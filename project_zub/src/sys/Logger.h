#pragma once
// The engine log: one line per call, each line "+<ms>\t<text>" where <ms> is
// the milliseconds since the previous line (just "\t<text>" when that is zero),
// ended by CRLF and flushed at once so that nothing is lost on a crash.
//
// One run writes at most FILE_LIMIT bytes to its file: the line that would
// pass it is replaced by one last line that says the log stops there, and
// nothing more is written to the file until another is opened (the history
// and the echo go on).
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "util/Format.h"
#include "util/WString.h"

class Logger {
public:
    // What one run writes to its log file at most, the closing line included.
    static constexpr uint64_t FILE_LIMIT = uint64_t{16} << 20;

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

    // Returns the size of the line in the file's form, in bytes, whether or
    // not it was written.
    size_t logLine(std::u16string_view text);

    template <class... A>
    size_t log(std::u16string_view fmt, const A&... args) {
        return logLine(formatString(fmt, args...));
    }

    // Bytes written to the file opened last; whether its limit stopped it.
    uint64_t bytesWritten() const { return written; }
    bool isStopped() const { return bStopped; }

    // The most recent lines (without the time prefix), newest last.
    const std::vector<WString>& history() const { return recent; }
    void clearHistory() { recent.clear(); }

private:
    void startFile();

    FILE* file = nullptr;
    uint64_t written = 0;
    bool bStopped = false;
    bool bEcho = false;
    unsigned long long lastLineMs = 0;
    bool bHaveLastLine = false;
    std::vector<WString> recent;
};

// For lines that outsiders can cause as often as they like (one for each
// datagram they send): at most `lines` lines in each window of `seconds`,
// counted in the caller's clock. The lines past that are only counted, and
// the first call after the window has ended logs their number with
// `summary` (a format taking it as its one %d) and starts a new window.
class LogRateLimit {
public:
    LogRateLimit(int lines, double seconds, const char16_t* summary)
        : perWindow(lines), length(seconds), summaryFormat(summary), left(lines) {}

    // Whether a line may be logged at `now`; one that may not is counted.
    bool allow(double now);
    // Ends the window when its time is over (see above).
    void roll(double now);
    // Lines left out in the present window.
    int leftOut() const { return suppressed; }

private:
    int perWindow;
    double length;
    const char16_t* summaryFormat;
    bool bStarted = false;
    double start = 0.0;
    int left;
    int suppressed = 0;
};

// Text that came from outside the program (what peers send, web replies,
// names of files and folders found on disk or given on the command line,
// the environment) as the log writes it: on the one line it is logged on,
// whatever it holds. Control characters (U+0000-U+001F, U+007F-U+009F) and
// the line and paragraph separators (U+2028, U+2029) become escapes ("\n",
// "\r", "\t", "\x1b", "\u2028"), and the backslash "\\", so nobody outside
// can add lines of their own to the log (which a crash report sends), and
// an escape in a logged text always stands for one of these.
WString escapeForLog(std::u16string_view text);
// Narrow (UTF-8) text: paths, the environment.
WString escapeForLog(std::string_view text);
// Appends one UTF-16 unit as escapeForLog writes it.
void appendEscapedForLog(WString& out, char16_t unit);

// Logs "<function>(): <message>" in the engine's usual form.
#define ZUB_LOG(...) Logger::get().log(u"%s(): %s", zubFunctionName(__PRETTY_FUNCTION__), formatString(__VA_ARGS__))

// "Class::method" from a compiler's pretty function signature.
std::string zubFunctionName(const char* prettyFunction);
