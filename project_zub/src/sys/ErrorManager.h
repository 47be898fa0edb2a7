#pragma once
// Fatal errors. Every fatal path of the engine and the game ends here: the
// message is logged and printed on stderr, a screenshot is saved, full screen
// is left, a message box titled "Error" is shown and the program ends with
// exit code -1.
//
// The platform-dependent steps are hooks installed by the layers that own
// them (graphics, the window); without them the text goes to stderr.
#include <string>

#include "util/Format.h"
#include "util/WString.h"

class ErrorManager {
public:
    struct Hooks {
        void (*saveScreenshot)() = nullptr;  // main thread only
        void (*leaveFullScreen)() = nullptr;
        // Shows the text in a box when a display exists (the text has gone
        // to stderr already).
        void (*showMessageBox)(const WString& title, const WString& text) = nullptr;
    };

    static Hooks hooks;

    // Test mode: no message box, no screenshot; the text goes to stderr and the log.
    static bool bTestMode;

    // Ends the program with the already formatted text. Never returns.
    [[noreturn]] static void fatal(const WString& text);

    template <class... A>
    [[noreturn]] static void error(std::u16string_view fmt, const A&... args) {
        fatal(formatString(fmt, args...));
    }

    // The two standard layouts of a fatal report.
    [[noreturn]] static void errorAt(const WString& message, const char* prettyFunction, const char* file, int line);
    [[noreturn]] static void assertionFailed(const char* statement, const char* prettyFunction, const char* file,
                                             int line);
};

// A fatal error with the function, file and line of the caller.
#define ZUB_ERROR(...) ErrorManager::errorAt(formatString(__VA_ARGS__), __PRETTY_FUNCTION__, __FILE__, __LINE__)

// A fatal assertion, kept in every build: the checks guard data, not just code.
#define ZUB_ASSERT(cond)                                                                            \
    do {                                                                                            \
        if (!(cond)) ErrorManager::assertionFailed(#cond, __PRETTY_FUNCTION__, __FILE__, __LINE__); \
    } while (0)
