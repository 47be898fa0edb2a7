#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <string>

#include "platform/CrashHandler.h"
#include "project_zub/sys/files_test_support.h"
#include "sys/Console.h"
#include "sys/CrashFiles.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"
#include "sys/Paths.h"
#include "sys/TimeKeeper.h"

namespace {

using filestest::ChildRun;
using filestest::makePipe;
using filestest::readBytes;
using filestest::runInChild;
using filestest::TempFolder;
using filestest::textContent;
using filestest::writeBytes;
namespace fs = std::filesystem;

TEST(Log, LinesCarryTheDelayEndInCrlfAndAreFlushedAtOnce) {
    TempFolder folder;
    const std::string dir = folder.path();
    Logger log;
    ASSERT_TRUE(log.openFile(dir + "test.log"));
    log.log(u"%s(): %s", "Test::first", u"Gr\u00fc\u00dfe");
    // Read while the logger is still open: every line is on disk already.
    std::string text = readBytes(dir + "test.log");
    EXPECT_EQ(text,
              "\tTest::first(): Gr\xc3\xbc\xc3\x9f"
              "e\r\n");
    usleep(20000);
    log.logLine(u"second");
    text = readBytes(dir + "test.log");
    const size_t second = text.find("\r\n") + 2;
    ASSERT_LT(second, text.size());
    // "+<ms>\t<text>" when time has passed since the previous line.
    EXPECT_EQ(text[second], '+');
    const size_t tab = text.find('\t', second);
    const int ms = std::stoi(text.substr(second + 1, tab - second - 1));
    EXPECT_GE(ms, 15);
    EXPECT_EQ(text.substr(tab), "\tsecond\r\n");
    EXPECT_EQ(log.history().back(), u"second");
}

TEST(Log, EachSessionStartsAfreshAndKeepsThePreviousLog) {
    TempFolder folder;
    const std::string path = folder / "game.log";
    Logger log;
    for (const char16_t* run : {u"first run", u"second run", u"third run"}) {
        ASSERT_TRUE(log.startSession(path));
        log.logLine(run);
    }
    // A line another process appends meanwhile stays after ours.
    {
        Logger other;
        ASSERT_TRUE(other.openFile(path));
        other.logLine(u"from elsewhere");
    }
    log.logLine(u"more");
    log.closeFile();
    const std::string text = readBytes(path);
    const size_t third = text.find("\tthird run\r\n"), elsewhere = text.find("\tfrom elsewhere\r\n");
    EXPECT_LT(third, elsewhere) << text;
    EXPECT_LT(elsewhere, text.find("\tmore\r\n")) << text;
    EXPECT_EQ(text.find("second run"), std::string::npos);
    const std::string old = readBytes(path + ".old");
    EXPECT_NE(old.find("\tsecond run\r\n"), std::string::npos);
    EXPECT_EQ(old.find("first run"), std::string::npos);
}

// However much a run logs, its file grows to 16 MB at most and ends with
// one line saying that the log stops there; the next run logs again.
TEST(Log, ARunWritesAtMostSixteenMegabytesAndSaysOnceWhereItStopped) {
    TempFolder folder;
    const std::string path = folder / "game.log";
    Logger log;
    ASSERT_TRUE(log.startSession(path));
    const WString chunk(64 * 1024 - 40, u'z');
    size_t lines = 0;
    for (; lines < 300; ++lines) log.log(u"%s(): %s", "Test::flood", chunk);  // 19 MB of lines
    EXPECT_TRUE(log.isStopped());
    log.logLine(u"after the limit");
    const std::string text = readBytes(path);
    EXPECT_LE(text.size(), Logger::FILE_LIMIT);
    EXPECT_GT(text.size(), Logger::FILE_LIMIT - 128 * 1024);  // every line that fitted is there
    EXPECT_EQ(log.bytesWritten(), text.size());
    const std::string stop = "Logger::logLine(): the log stops here";
    const size_t at = text.find(stop);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(text.find(stop, at + 1), std::string::npos);
    EXPECT_EQ(text.find("\r\n", at), text.size() - 2);  // the last line
    EXPECT_EQ(text.find("after the limit"), std::string::npos);
    EXPECT_EQ(log.history().back(), u"after the limit");  // kept in memory all the same
    // A new run starts a new file (the full one kept as the old log) and writes again.
    ASSERT_TRUE(log.startSession(path));
    EXPECT_FALSE(log.isStopped());
    log.logLine(u"next run");
    log.closeFile();
    const std::string next = readBytes(path);
    EXPECT_EQ(next.substr(next.find('\t')), "\tnext run\r\n");
    EXPECT_NE(readBytes(path + ".old").find(stop), std::string::npos);
}

TEST(Console, KeepsRecentLinesLogsThemAndShowsTheNewestForAWhile) {
    Console console;
    EXPECT_EQ(Console::active(), &console);
    const double t = TimeKeeper::getPhysicalTime();
    console.print(u"New Connect attempt from %s", u"127.0.0.1:23006");
    EXPECT_EQ(console.lines.back(), u"New Connect attempt from 127.0.0.1:23006");
    EXPECT_EQ(Logger::get().history().back(), u"New Connect attempt from 127.0.0.1:23006");
    for (int i = 0; i < 300; ++i) console.print(u"line %d", i);
    EXPECT_EQ(console.lines.size(), Console::MAX_LINES);
    console.print(u"a\nb");
    EXPECT_EQ(console.lines.back(), u"b");

    console.tick(t + 1);
    auto shown = console.shownLines();
    ASSERT_EQ(shown.size(), Console::SHOWN_LINES);
    EXPECT_EQ(shown.back().text, u"b");
    EXPECT_EQ(shown.front().text, u"line 294");
    EXPECT_FLOAT_EQ(shown.back().alpha, 1.0f);
    console.tick(t + Console::SHOW_SECONDS - 0.5);  // fading out
    EXPECT_NEAR(console.shownLines().back().alpha, 0.5f, 0.05f);
    console.tick(t + Console::SHOW_SECONDS + 1);
    EXPECT_TRUE(console.shownLines().empty());
}

TEST(Time, PausedTimeIsLeftOutOfGameTime) {
    TimeKeeper k;
    const double t0 = k.getTime();
    EXPECT_GE(t0, 0.0);
    k.pause();
    const double atPause = k.getTime();
    usleep(30000);
    EXPECT_DOUBLE_EQ(k.getTime(), atPause);  // frozen while paused
    k.resume();
    const double after = k.getTime();
    EXPECT_LT(after - atPause, 0.02);
    // The physical clock ran on.
    EXPECT_GE(TimeKeeper::getPhysicalTime() - k.startTime - after, 0.025);
}

TEST(Time, FramePacingKeepsStepAndResynchronisesAfterStalls) {
    ZubTimer t(0.01);
    t.restart(1.0);
    EXPECT_NEAR(t.nextDelay(1.004), 0.006, 1e-12);
    EXPECT_NEAR(t.nextFrameTime, 1.02, 1e-12);
    // Slightly late: no sleep, the next deadline keeps the rhythm.
    EXPECT_EQ(t.nextDelay(1.025), 0.0);
    EXPECT_NEAR(t.nextFrameTime, 1.03, 1e-12);
    // A long stall: pacing starts again from now instead of racing.
    EXPECT_EQ(t.nextDelay(2.0), 0.0);
    EXPECT_NEAR(t.nextFrameTime, 2.01, 1e-12);
    EXPECT_NEAR(t.nextDelay(2.0), 0.01, 1e-12);
}

// The crash files as the program names them, in another folder.
CrashHandler::Targets targetsIn(const std::string& dir) {
    return {dir + CrashFiles::name(CrashFiles::kLog), dir + CrashFiles::name(CrashFiles::kMiniDump),
            dir + CrashFiles::name(CrashFiles::kNetTraffic)};
}

TEST(CrashFiles, NamesAndPathsAreTheProgramsStemInTheUserFolder) {
    TempFolder folder;
    setUserDataFolderOverride(folder.path());
    EXPECT_EQ(CrashFiles::name(CrashFiles::kLog), "crash.Tumbrodemo.log");
    EXPECT_EQ(CrashFiles::name(CrashFiles::kMiniDump), "crash.Tumbrodemo.mdmp");
    EXPECT_EQ(CrashFiles::path(CrashFiles::kScreenshot), folder.path() + "crash.Tumbrodemo.jpg");
    EXPECT_EQ(CrashFiles::path(CrashFiles::kNetTraffic), folder.path() + "crash.Tumbrodemo.net");
    setUserDataFolderOverride("");
}

TEST(CrashFiles, AFatalSignalLeavesLogDumpAndTraffic) {
    TempFolder folder;
    const std::string dir = folder.path();
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        Logger::get().openFile(dir + "game.log");
        Logger::get().log(u"%s(): %s", "Test::child", u"about to crash");
        static const uint8_t traffic[] = {1, 2, 3, 4};
        static CrashHandler::NetRecording recording;
        recording.ring = traffic;
        recording.capacity = sizeof traffic;
        recording.end = sizeof traffic;
        CrashHandler::install("Tumbrodemo", dir + "game.log", targetsIn(dir));
        CrashHandler::setNetRecording(&recording);
        // A real faulting instruction. (The sanitizers in test builds own
        // SIGSEGV themselves, so the test uses the trap instruction.)
        __builtin_trap();
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGILL);
    EXPECT_NE(readBytes(dir + "crash.Tumbrodemo.log").find("Test::child(): about to crash\r\n"), std::string::npos);
    const std::string dump = readBytes(dir + "crash.Tumbrodemo.mdmp");
    EXPECT_NE(dump.find("SIGILL"), std::string::npos) << dump;
    EXPECT_NE(dump.find("backtrace:"), std::string::npos);
    EXPECT_NE(dump.find("memory map:"), std::string::npos);
    EXPECT_NE(dump.find("[stack]"), std::string::npos);
    EXPECT_EQ(readBytes(dir + "crash.Tumbrodemo.net"), std::string("\x01\x02\x03\x04", 4));
}

TEST(CrashFiles, TheFatalErrorPathLeavesTheFilesToo) {
    TempFolder folder;
    const std::string dir = folder.path();
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ErrorManager::bTestMode = true;
        Logger::get().openFile(dir + "game.log");
        CrashHandler::install("Tumbrodemo", dir + "game.log", targetsIn(dir));
        ZUB_ERROR(u"Could not find resource '%s'.", u"basketA:9");
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 255);
    const std::string log = readBytes(dir + "crash.Tumbrodemo.log");
    EXPECT_NE(log.find("Error: Could not find resource 'basketA:9'.\n Function: "), std::string::npos) << log;
    EXPECT_NE(readBytes(dir + "crash.Tumbrodemo.mdmp").find("reason: Error: Could not find resource"),
              std::string::npos);
    EXPECT_EQ(readBytes(dir + "crash.Tumbrodemo.net"), "no network traffic recorded\n");
}

// A new run's log is a new file: a link under the log's name is not
// written through, not even when the old log cannot be kept aside.
TEST(Log, ASessionStartsANewFileAndNeverEmptiesTheFileALinkLeadsTo) {
    TempFolder folder;
    const std::string dir = folder.path();
    writeBytes(dir + "letter.txt", "precious");
    fs::create_symlink(dir + "letter.txt", dir + "test.log");
    writeBytes(dir + "test.log.old/inside", "a folder in the way of the old log");
    Logger log;
    ASSERT_TRUE(log.startSession(dir + "test.log"));
    log.log(u"%s(): %s", "Test::session", u"new");
    log.closeFile();
    EXPECT_EQ(readBytes(dir + "letter.txt"), "precious");
    EXPECT_FALSE(fs::is_symlink(dir + "test.log"));
    EXPECT_EQ(readBytes(dir + "test.log"), "\tTest::session(): new\r\n");
}

// A second start appends its lines to the running game's log, but only to
// a regular file of its own: a link under the log's name is not written
// through, and a named pipe there neither blocks the start nor is written.
TEST(Log, AnAppendedLogIsARegularFileNeverALinksTargetNorAPipe) {
    TempFolder folder;
    const std::string dir = folder.path();
    writeBytes(dir + "game.log", "\tfirst run\r\n");
    Logger second;
    ASSERT_TRUE(second.openFile(dir + "game.log"));
    second.log(u"%s(): %s", "Test::append", u"second");
    second.closeFile();
    EXPECT_EQ(readBytes(dir + "game.log"), "\tfirst run\r\n\tTest::append(): second\r\n");

    writeBytes(dir + "letter.txt", "precious");
    fs::create_symlink(dir + "letter.txt", dir + "linked.log");
    Logger linked;
    EXPECT_FALSE(linked.openFile(dir + "linked.log"));
    linked.log(u"%s(): %s", "Test::append", u"through the link");
    EXPECT_EQ(readBytes(dir + "letter.txt"), "precious");

    ASSERT_TRUE(makePipe(dir + "pipe.log"));
    const ChildRun run = runInChild([&] {
        Logger piped;
        return piped.openFile(dir + "pipe.log") ? 1 : 0;
    });
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
}

// A crash writes new files: links planted under the crash files' names are
// removed, not written through, and a log that is a link leads nowhere (it
// is not copied into the report). Each in a child that really crashes.
TEST(CrashFiles, ACrashWritesNewFilesOfItsOwnAndNeverThroughLinks) {
    TempFolder folder;
    const std::string dir = folder.path();
    const CrashHandler::Targets targets = targetsIn(dir);
    for (const std::string& name :
         {std::string("log-copy"), std::string("dump"), std::string("traffic"), std::string("secret")})
        writeBytes(dir + name, "precious " + name);
    fs::create_symlink(dir + "log-copy", targets.logCopy);
    fs::create_symlink(dir + "dump", targets.dump);
    fs::create_symlink(dir + "traffic", targets.netTraffic);
    fs::create_symlink(dir + "secret", dir + "game.log");
    const ChildRun run = runInChild([&] {
        CrashHandler::install("Tumbrodemo", dir + "game.log", targets);
        __builtin_trap();
        return 0;
    });
    ASSERT_TRUE(run.finished);
    for (const std::string& name :
         {std::string("log-copy"), std::string("dump"), std::string("traffic"), std::string("secret")})
        EXPECT_EQ(readBytes(dir + name), "precious " + name);
    for (const std::string& path : {targets.logCopy, targets.dump, targets.netTraffic})
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path))) << path;
    EXPECT_EQ(readBytes(targets.logCopy), "");
    EXPECT_NE(readBytes(targets.dump).find("SIGILL"), std::string::npos);
    EXPECT_EQ(readBytes(targets.netTraffic), "no network traffic recorded\n");
}

// A log that has another name as well (a hard link to another file of the
// user's) is neither appended to by a second start nor copied into the
// crash report; the file keeps its bytes. Each crash in a child that really
// crashes.
TEST(CrashFiles, ALogWithAnotherNameIsNeitherAppendedToNorCopied) {
    TempFolder folder;
    const std::string dir = folder.path();
    writeBytes(dir + "secret", "precious");
    fs::create_hard_link(dir + "secret", dir + "game.log");
    Logger second;
    EXPECT_FALSE(second.openFile(dir + "game.log"));
    second.log(u"%s(): %s", "Test::append", u"into the other name");
    second.closeFile();
    EXPECT_EQ(readBytes(dir + "secret"), "precious");

    const CrashHandler::Targets targets = targetsIn(dir);
    const ChildRun run = runInChild([&] {
        CrashHandler::install("Tumbrodemo", dir + "game.log", targets);
        __builtin_trap();
        return 0;
    });
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(readBytes(targets.logCopy), "");
    EXPECT_NE(readBytes(targets.dump).find("SIGILL"), std::string::npos);
    EXPECT_EQ(readBytes(dir + "secret"), "precious");
}

// No crash file grows past its limit: the handler stops there and ends the
// file with a line that says so. A log that is a named pipe does not stop it.
TEST(CrashFiles, NoCrashFileGrowsPastItsLimit) {
    TempFolder folder;
    const std::string dir = folder.path();
    CrashHandler::Targets targets = targetsIn(dir);
    targets.maxLogCopy = 10000;
    targets.maxDump = 3000;
    targets.maxNetTraffic = 500;
    const std::string log = textContent(100000, 3);
    writeBytes(dir + "game.log", log);
    const ChildRun run = runInChild([&] {
        static const std::string traffic(2000, 'T');
        static CrashHandler::NetRecording recording;
        recording.ring = reinterpret_cast<const uint8_t*>(traffic.data());
        recording.capacity = traffic.size();
        recording.end = traffic.size();
        CrashHandler::install("Tumbrodemo", dir + "game.log", targets);
        CrashHandler::setNetRecording(&recording);
        __builtin_trap();
        return 0;
    });
    ASSERT_TRUE(run.finished);
    const std::string note = "\n[cut here: the file reached its size limit]\n";
    const std::string copy = readBytes(targets.logCopy), dump = readBytes(targets.dump),
                      traffic = readBytes(targets.netTraffic);
    EXPECT_EQ(copy, log.substr(0, 10000 - note.size()) + note);
    EXPECT_EQ(dump.size(), 3000u);
    EXPECT_EQ(dump.substr(0, 30), "Tumbrodemo crash report\nreason");
    EXPECT_EQ(dump.substr(dump.size() - note.size()), note);
    EXPECT_EQ(traffic, std::string(500 - note.size(), 'T') + note);

    // A log that fits is copied whole, one byte more is cut.
    for (const size_t size : {size_t(10000), size_t(10001)}) {
        writeBytes(dir + "game.log", log.substr(0, size));
        ASSERT_TRUE(runInChild([&] {
                        CrashHandler::install("Tumbrodemo", dir + "game.log", targets);
                        CrashHandler::writeCrashFiles("at the limit");
                        return 0;
                    }).finished);
        EXPECT_EQ(readBytes(targets.logCopy),
                  size == 10000 ? log.substr(0, 10000) : log.substr(0, 10000 - note.size()) + note);
    }

    fs::remove(dir + "game.log");
    ASSERT_TRUE(makePipe(dir + "game.log"));
    const ChildRun piped = runInChild(
        [&] {
            CrashHandler::install("Tumbrodemo", dir + "game.log", targets);
            CrashHandler::writeCrashFiles("a pipe for a log");
            return 0;
        },
        5000);
    EXPECT_TRUE(piped.finished) << "copying the log waited on the pipe";
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_EQ(readBytes(targets.logCopy), "");
    EXPECT_NE(readBytes(targets.dump).find("reason: a pipe for a log"), std::string::npos);
}

// A link under a crash file's name that leads to a folder is a link like
// any other: its name goes, and the folder it leads to stays with what it
// holds, an empty one too.
TEST(CrashFiles, ALinkToAFolderLosesItsNameAndTheFolderStays) {
    TempFolder folder;
    const std::string dir = folder.path();
    setUserDataFolderOverride(dir);
    const std::string log = CrashFiles::path(CrashFiles::kLog), dump = CrashFiles::path(CrashFiles::kMiniDump);
    fs::create_directory(dir + "empty");
    writeBytes(dir + "full/inside", "the user's");
    fs::create_directory_symlink(dir + "empty", dump);
    fs::create_directory_symlink(dir + "full", log);
    Logger::get().openFile(dir + "game.log");
    CrashFiles::removeRefused();
    Logger::get().closeFile();
    setUserDataFolderOverride("");
    EXPECT_FALSE(fs::exists(fs::symlink_status(log)));
    EXPECT_FALSE(fs::exists(fs::symlink_status(dump)));
    EXPECT_TRUE(fs::is_directory(fs::symlink_status(dir + "empty")));
    EXPECT_EQ(readBytes(dir + "full/inside"), "the user's");
    const std::string lines = readBytes(dir + "game.log");
    for (const std::string& name : {log, dump})
        EXPECT_NE(lines.find("Removed the name '" + name + "', which is never sent: it is a symbolic link."),
                  std::string::npos)
            << lines;
    EXPECT_EQ(lines.find("folder"), std::string::npos) << lines;
}

// The program's own limits, which the handler gets from the run's start.
TEST(CrashFiles, EachFileHasTheLimitOfWhatTheProgramWrites) {
    EXPECT_EQ(CrashFiles::maxBytes(CrashFiles::kLog), 32u << 20);
    EXPECT_EQ(CrashFiles::maxBytes(CrashFiles::kMiniDump), 1u << 20);
    EXPECT_EQ(CrashFiles::maxBytes(CrashFiles::kScreenshot), 32u << 20);
    EXPECT_EQ(CrashFiles::maxBytes(CrashFiles::kNetTraffic), 4u << 20);
}

TEST(FatalErrors, BothLayoutsAndExitCode) {
    ErrorManager::bTestMode = true;
    EXPECT_EXIT(ZUB_ERROR(u"Could not find object ID %d", 12), ::testing::ExitedWithCode(255),
                "Error: Could not find object ID 12\n Function: .*\\(\\)\n File: .*services_test.cpp\n Line: [0-9]+");
    EXPECT_EXIT(ZUB_ASSERT(1 + 1 == 3), ::testing::ExitedWithCode(255),
                "Error: Assertion failed.\n Statement: 1 \\+ 1 == 3\n Function: ");
}

// What a build leaves of the build machine's folders in a source's name
// (the build maps the names it knows; a compiler cache may hand the
// compiler paths relative to the build tree) goes before the report is made.
TEST(FatalErrors, TheReportNamesTheSourceFileFromTheSourceTree) {
    EXPECT_EQ(ErrorManager::sourceFileName("src/menu/ContextMain.cpp"), "src/menu/ContextMain.cpp");
    EXPECT_EQ(ErrorManager::sourceFileName("../src/menu/ContextMain.cpp"), "src/menu/ContextMain.cpp");
    EXPECT_EQ(ErrorManager::sourceFileName("./../../project_zub/src/sys/Logger.cpp"), "project_zub/src/sys/Logger.cpp");
    EXPECT_EQ(ErrorManager::sourceFileName("/home/builder/tumbro/src/menu/ContextMain.cpp"),
              "src/menu/ContextMain.cpp");
    EXPECT_EQ(ErrorManager::sourceFileName("/home/src/tumbro/project_zub/src/sys/Logger.cpp"),
              "project_zub/src/sys/Logger.cpp");
    EXPECT_EQ(ErrorManager::sourceFileName("/tmp/generated/Table.cpp"), "Table.cpp");
    ErrorManager::bTestMode = true;
    EXPECT_EXIT(
        ErrorManager::errorAt(u"Crash requested.", "void ContextMain::tickContents(double, double)",
                              "/home/builder/tumbro/src/menu/ContextMain.cpp", 120),
        ::testing::ExitedWithCode(255),
        "Error: Crash requested.\n Function: ContextMain::tickContents\\(\\)\n File: src/menu/ContextMain\\.cpp\n"
        " Line: 120\n");
}

TEST(FatalErrors, AnErrorWhileReportingAnErrorEndsAtOnce) {
    ErrorManager::bTestMode = false;
    ErrorManager::hooks.showMessageBox = [](const WString&, const WString&) {
        ZUB_ERROR(u"second error inside the first");  // must not recurse
    };
    EXPECT_EXIT(ZUB_ERROR(u"first"), ::testing::ExitedWithCode(255), "first");
    ErrorManager::hooks.showMessageBox = nullptr;
    ErrorManager::bTestMode = true;
}

}  // namespace
