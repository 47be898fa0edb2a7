#include "sys/Logger.h"

#include "platform/PlatformSystem.h"

#include <chrono>
#include <cstring>

namespace {
unsigned long long nowMs() {
    using namespace std::chrono;
    return static_cast<unsigned long long>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
constexpr size_t kHistoryLines = 64;
// The closing line and its time prefix fit in this much.
constexpr uint64_t kClosingRoom = 256;
}  // namespace

Logger::Logger() = default;

Logger::~Logger() { closeFile(); }

Logger& Logger::get() {
    static Logger instance;
    return instance;
}

void Logger::startFile() {
    written = 0;
    bStopped = false;
}

bool Logger::openFile(const std::string& path) {
    closeFile();
    // A second start appends to the running game's log: through no link,
    // into no pipe, only into a regular file.
    file = platform::openForAppending(path);
    startFile();
    return file != nullptr;
}

bool Logger::startSession(const std::string& path) {
    closeFile();
    // Without a previous log there is nothing to keep; when it cannot be
    // kept, it is removed, so that the log starts as a new file (a link
    // under its name goes, not the file it leads to).
    const std::string old = path + ".old";
    std::remove(old.c_str());
    if (std::rename(path.c_str(), old.c_str()) != 0) std::remove(path.c_str());
    // Appending: a line another process adds (a second start that is turned
    // away) lands after ours instead of being overwritten.
    file = platform::openForAppending(path);
    startFile();
    return file != nullptr;
}

void Logger::closeFile() {
    if (file) {
        std::fclose(file);
        file = nullptr;
    }
}

size_t Logger::logLine(std::u16string_view text) {
    const unsigned long long now = nowMs();
    const unsigned long long delta = bHaveLastLine ? now - lastLineMs : 0;
    lastLineMs = now;
    bHaveLastLine = true;

    std::string prefix;
    if (delta != 0) {
        prefix.push_back('+');
        prefix += std::to_string(delta);
    }
    prefix += '\t';
    const std::string line = prefix + wideToNarrow(text) + "\r\n";
    if (file && !bStopped) {
        if (written + line.size() + kClosingRoom > FILE_LIMIT) {
            // The line would take the run's log past its limit: the file
            // ends with the reason instead, once.
            const std::string closing = prefix + "Logger::logLine(): the log stops here: this run has written " +
                                        std::to_string(written) + " bytes of it, and it may not pass " +
                                        std::to_string(FILE_LIMIT) + ".\r\n";
            std::fwrite(closing.data(), 1, closing.size(), file);
            written += closing.size();
            bStopped = true;
        } else {
            std::fwrite(line.data(), 1, line.size(), file);
            written += line.size();
        }
        std::fflush(file);
    }
    if (bEcho) {
        std::fwrite(line.data(), 1, line.size() - 2, stderr);
        std::fputc('\n', stderr);
    }
    if (recent.size() >= kHistoryLines) recent.erase(recent.begin());
    recent.emplace_back(text);
    return line.size();
}

void LogRateLimit::roll(double now) {
    // A clock set back also starts a new window.
    if (bStarted && now >= start && now - start < length) return;
    if (suppressed > 0) Logger::get().log(summaryFormat, suppressed);
    bStarted = true;
    start = now;
    left = perWindow;
    suppressed = 0;
}

bool LogRateLimit::allow(double now) {
    roll(now);
    if (left > 0) {
        --left;
        return true;
    }
    ++suppressed;
    return false;
}

void appendEscapedForLog(WString& out, char16_t c) {
    static constexpr char16_t kHex[] = u"0123456789abcdef";
    switch (c) {
        case u'\\':
            out += u"\\\\";
            return;
        case u'\n':
            out += u"\\n";
            return;
        case u'\r':
            out += u"\\r";
            return;
        case u'\t':
            out += u"\\t";
            return;
        default:
            break;
    }
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
        out += u"\\x";
        out += kHex[c >> 4];
        out += kHex[c & 15];
    } else if (c == 0x2028 || c == 0x2029) {
        out += u"\\u";
        for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 15];
    } else {
        out += c;
    }
}

WString escapeForLog(std::u16string_view text) {
    WString out;
    out.reserve(text.size());
    for (const char16_t c : text) appendEscapedForLog(out, c);
    return out;
}

WString escapeForLog(std::string_view text) { return escapeForLog(narrowToWide(text)); }

std::string zubFunctionName(const char* pretty) {
    // "virtual void Packet::doInt(int&)" -> "Packet::doInt"
    const char* paren = std::strchr(pretty, '(');
    if (!paren) return pretty;
    const char* start = paren;
    int angle = 0;
    while (start > pretty) {
        char c = start[-1];
        if (c == '>') angle++;
        else if (c == '<') angle--;
        else if (c == ' ' && angle == 0) break;
        --start;
    }
    return std::string(start, paren);
}
