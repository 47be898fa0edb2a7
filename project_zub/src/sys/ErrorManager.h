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
        // Removes what the program keeps only while it runs (a scratch
        // folder) before it ends; any thread.
        void (*beforeExit)() = nullptr;
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

    // The two standard layouts of a fatal report. `file` is the caller's
    // __FILE__; the report names it as sourceFileName does.
    [[noreturn]] static void errorAt(const WString& message, const char* prettyFunction, const char* file, int line);
    [[noreturn]] static void assertionFailed(const char* statement, const char* prettyFunction, const char* file,
                                             int line);

    // A source file as the reports name it: relative to the source tree
    // ("src/menu/ContextMain.cpp", "project_zub/src/sys/Logger.cpp"), never
    // with the folders of the machine that built the program. The build maps
    // the paths the compiler sees to that form; what a build leaves
    // otherwise loses its leading "./" and "../" parts, and an absolute path
    // everything before its "project_zub/src/" or "src/" (only its file name
    // when it has neither).
    static std::string sourceFileName(const char* file);
};

// A fatal error with the function, file and line of the caller.
#define ZUB_ERROR(...) ErrorManager::errorAt(formatString(__VA_ARGS__), __PRETTY_FUNCTION__, __FILE__, __LINE__)

// A fatal assertion, kept in every build: the checks guard data, not just code.
#define ZUB_ASSERT(cond)                                                                            \
    do {                                                                                            \
        if (!(cond)) ErrorManager::assertionFailed(#cond, __PRETTY_FUNCTION__, __FILE__, __LINE__); \
    } while (0)
