#include "sys/ErrorManager.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <thread>

#include "platform/AtomicFile.h"
#include "platform/CrashHandler.h"
#include "sys/Logger.h"

ErrorManager::Hooks ErrorManager::hooks;
bool ErrorManager::bTestMode = false;

namespace {
std::atomic<bool> inFatal{false};
const std::thread::id mainThread = std::this_thread::get_id();
}  // namespace

void ErrorManager::fatal(const WString& text) {
    // A fatal error raised while reporting another one must not recurse.
    if (inFatal.exchange(true)) std::_Exit(-1);

    // The text goes to the log and, once, to stderr (the log's echo and the
    // message box, when there is no display for it, stay quiet).
    Logger& log = Logger::get();
    log.setEcho(false);
    log.logLine(text);
    const std::string narrow = wideToNarrow(text);
    std::fprintf(stderr, "%s\n", narrow.c_str());
    std::fflush(stderr);

    const bool onMainThread = std::this_thread::get_id() == mainThread;
    // The crash files: the log copy and the dump, then the screenshot (the
    // graphics device belongs to the main thread).
    CrashHandler::writeCrashFiles(narrow.c_str());
    if (!bTestMode && onMainThread) {
        if (hooks.saveScreenshot) hooks.saveScreenshot();
        if (hooks.leaveFullScreen) hooks.leaveFullScreen();
        if (hooks.showMessageBox) hooks.showMessageBox(u"Error", text);
    }
    // No half-written file is left beside the one it was to replace.
    AtomicFile::removeOpenTemporaries();
    if (hooks.beforeExit) hooks.beforeExit();
    Logger::get().closeFile();
    std::_Exit(-1);
}

std::string ErrorManager::sourceFileName(const char* file) {
    std::string_view path = file ? file : "";
    for (;;) {
        if (path.starts_with("./")) path.remove_prefix(2);
        else if (path.starts_with("../")) path.remove_prefix(3);
        else break;
    }
    if (!path.starts_with("/")) return std::string(path);
    for (const std::string_view root : {"/project_zub/src/", "/src/"}) {
        const size_t at = path.rfind(root);
        if (at != std::string_view::npos) return std::string(path.substr(at + 1));
    }
    return std::string(path.substr(path.rfind('/') + 1));
}

void ErrorManager::errorAt(const WString& message, const char* prettyFunction, const char* file, int line) {
    fatal(formatString(u"Error: %s\n Function: %s()\n File: %s\n Line: %d", message, zubFunctionName(prettyFunction),
                       sourceFileName(file), line));
}

void ErrorManager::assertionFailed(const char* statement, const char* prettyFunction, const char* file, int line) {
    fatal(formatString(u"Error: %s\n Statement: %s\n Function: %s()\n File: %s\n Line: %d", u"Assertion failed.",
                       statement, zubFunctionName(prettyFunction), sourceFileName(file), line));
}
