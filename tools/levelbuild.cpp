// levelbuild: builds level files from their text descriptions
// (content/levels/<name>.txt, see tools/levelbuild/LevelDescription.h) through
// the game's own classes, and plays them.
//
//   levelbuild [--out DIR] [--maps MAP_DIR] DESCRIPTION...
//       writes DIR/<name>.lev (DIR: the current folder) for each description,
//       and with --maps the map picture of each level that has one as
//       MAP_DIR/mapNN.tga (NN: the level's number; see LevelMinimap.h).
//   levelbuild --hash DESCRIPTION KEYS
//       builds the level, plays it through the level manager with the key
//       script (see tools/levelbuild/KeyScript.h) and prints the state hash
//       the run ends with, then the frames, the controller's state, the
//       outcome and the score. Builds that agree on the hash play alike.
//   levelbuild --list DESCRIPTION
//       builds the level, loads it as the game does and lists its placed
//       objects: UID, class, position, and the list each is in.
//   levelbuild --picture PNG [--keys KEYS] [--frame N] [--fonts CONTENT_DIR] DESCRIPTION
//       plays the level to frame N (default: the end of the opening) and
//       draws that frame off-screen into a PNG, in the content generator's
//       art (and with the generated fonts of CONTENT_DIR).
//   levelbuild --record PLAN DESCRIPTION [--out KEYS] [--verbose]
//       plays the level as the plan says (tools/levelbuild/PlanRecorder.h)
//       and writes the key script of the run to KEYS (default: standard
//       output); checks that the script replays to the same end state.
//       When a step fails (a condition times out) the keys of the run up to
//       there are written all the same, marked as the failed attempt, for
//       --play to show; the exit code is 1.
//       --verbose prints a line for each step to standard error: frame, hero,
//       what happened.
//   levelbuild --check DESCRIPTION...
//       checks each level as it must be to ship (tools/levelbuild/
//       LevelCheck.h) and plays it by the key scripts beside its description
//       (<name>.keys and the perfect run's <name>.perfect.keys), those there
//       are (a1 ... h9 must have both); prints two lines per level (each
//       run's end hash, frames, outcome and score; the perfect run's time
//       and the par time) and every problem found. Any name is checked;
//       a1 ... h9 also as shipped levels. Exit code 1 when there is a problem.
//   levelbuild --classes [CLASS...]
//       prints the reference of the classes a description places with 'new'
//       (tools/levelbuild/ClassReference.h): each one's construct arguments
//       and its properties with their types, defaults and meanings; with
//       class names, only those classes.
//   levelbuild --play KEYS DESCRIPTION [--frames N[,N...]] [--watch LABEL[,LABEL...]]
//       plays the level with the key script and prints where the hero is
//       at the given frames (default: every 100th), with --watch also where
//       each object of the description with that label is (or that it is
//       gone), then how the run ended (tools/levelbuild/PlayTrace.h).
//
// Levels are played by the number of their name (a1 ... h9; another name
// plays as a1).
// A description, key script or plan that cannot be read (nothing there, a
// folder, a named pipe, a device or a socket, a file over 1 MiB; tools/
// levelbuild/TextFile.h) is reported as "levelbuild: <file>: cannot be read:
// <why>", one with a mistake in it as "<file>:<line>: <what is wrong>"; the
// exit code is 1 (--check goes on with the other descriptions). File names
// and the files' text are printed escaped as the game's log escapes them
// ("\n", "\x00").
// Every file written (level files, maps, pictures, key scripts) is written
// whole or not at all (tools/levelbuild/OutputFile.h): to a temporary file
// renamed over the target, which replaces a symbolic link there (to a file,
// a folder or nothing) instead of writing through it. A stream, a character
// device (/dev/null) or a pipe (/dev/stdout in a pipeline), named directly
// or through links, is written to as a stream; a pipe nobody reads from, a
// folder, a socket or a block device is refused. A link to a descriptor
// (/dev/stdout, /dev/fd/3) is never replaced: it is written as that stream,
// or refused where the descriptor is closed, open for reading only or open
// on a folder. A refused target or a
// failed write (a full disk, a file size limit, a reader that went away)
// prints "levelbuild: <file>: cannot be written: <why>", and the exit code
// is 1, as for every failure, a fatal error of the game's code included;
// what standard output does not take (a full device, a reader that went
// away, a descriptor open for reading only) says "levelbuild: standard
// output: cannot be written: <why>" (tools/levelbuild/StandardOutput.h).
// The line naming a picture written goes to standard error where the
// picture went to standard output.
// A run started with standard input, output or error closed has /dev/null in
// its place (where there is none, a descriptor as closed as the stream
// was), so that nothing it opens takes that descriptor.
// A run stopped by SIGINT, SIGTERM or SIGHUP removes its scratch folder and
// the temporary files of what it was writing (tools/levelbuild/
// ScratchFolder.h), says so and nothing else, and ends by that signal; a
// fatal error removes them too.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "ClassReference.h"
#include "KeyScript.h"
#include "LevelBuilder.h"
#include "LevelCheck.h"
#include "LevelEnvironment.h"
#include "LevelPicture.h"
#include "OutputFile.h"
#include "PlanRecorder.h"
#include "PlayTrace.h"
#include "ScratchFolder.h"
#include "StandardOutput.h"
#include "TextFile.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "object/Property.h"
#include "sys/ErrorManager.h"
#include "sys/StandardStreams.h"
#include "world/EditorObject.h"

namespace fs = std::filesystem;

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: levelbuild [--out DIR] [--maps MAP_DIR] DESCRIPTION...\n"
                 "       levelbuild --hash DESCRIPTION KEYS\n"
                 "       levelbuild --list DESCRIPTION\n"
                 "       levelbuild --picture PNG [--keys KEYS] [--frame N] [--fonts CONTENT_DIR] DESCRIPTION\n"
                 "       levelbuild --record PLAN DESCRIPTION [--out KEYS] [--verbose]\n"
                 "       levelbuild --check DESCRIPTION...\n"
                 "       levelbuild --classes [CLASS...]\n"
                 "       levelbuild --play KEYS DESCRIPTION [--frames N[,N...]] [--watch LABEL[,LABEL...]]\n");
    return 2;
}

bool readText(const std::string& path, std::string& text) {
    int why = 0;
    if (levelbuild::readTextFile(path, text, why)) return true;
    std::fprintf(stderr, "%s\n", levelbuild::unreadableFile(path, why).c_str());
    return false;
}

// The description's level, or false after the error was printed.
bool build(const std::string& path, levelbuild::BuiltLevel& level) {
    std::string text, error;
    if (!readText(path, text)) return false;
    if (!levelbuild::buildLevel(text, path, level, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    return true;
}

bool readScript(const std::string& path, levelbuild::KeyScript& script) {
    std::string text, error;
    if (!readText(path, text)) return false;
    if (!script.parse(text, path, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    return true;
}

// Where the line naming a file just written goes: standard output, but for
// a file that is standard output itself (--picture /dev/stdout), so that
// the line does not run on into what was written.
std::FILE* reportFor(const std::string& written) {
    struct stat file {
    }, out{};
    if (::stat(written.c_str(), &file) == 0 && ::fstat(STDOUT_FILENO, &out) == 0 && file.st_dev == out.st_dev &&
        file.st_ino == out.st_ino)
        return stderr;
    return stdout;
}

// Whether everything the run printed on standard output arrived there; if
// not, says why (once).
bool outputArrived() {
    static bool said = false;
    const std::string why = levelbuild::standardOutputFailure();
    if (why.empty()) return true;
    if (!said) std::fprintf(stderr, "levelbuild: standard output: cannot be written: %s\n", why.c_str());
    said = true;
    return false;
}

bool writeFile(const std::string& path, const void* data, size_t size) {
    std::string error;
    if (levelbuild::writeOutputFile(path, data, size, error)) return true;
    std::fprintf(stderr, "levelbuild: %s\n", error.c_str());
    return false;
}

int buildAll(const std::string& out, const std::string& maps, const std::vector<std::string>& descriptions) {
    std::error_code ec;
    if (!out.empty()) fs::create_directories(out, ec);
    if (!maps.empty()) fs::create_directories(maps, ec);
    levelbuild::LevelEnvironment environment;
    for (const std::string& path : descriptions) {
        levelbuild::BuiltLevel level;
        if (!build(path, level)) return 1;
        const std::string target = (fs::path(out.empty() ? "." : out) / fs::path(path).stem()).string() + ".lev";
        if (!writeFile(target, level.bytes.data(), level.bytes.size())) return 1;
        std::printf("levelbuild: %s, %zu bytes\n", levelbuild::printable(target).c_str(), level.bytes.size());
        if (!maps.empty() && !level.minimap.empty()) {
            char name[16];
            std::snprintf(name, sizeof name, "map%02d.tga", level.number);
            const std::string map = (fs::path(maps) / name).string();
            if (!writeFile(map, level.minimap.data(), level.minimap.size())) return 1;
            std::printf("levelbuild: %s, the map of %s\n", levelbuild::printable(map).c_str(),
                        levelbuild::printable(level.name).c_str());
        }
    }
    return 0;
}

int hash(const std::string& description, const std::string& keys) {
    levelbuild::LevelEnvironment environment;
    levelbuild::BuiltLevel level;
    levelbuild::KeyScript script;
    if (!build(description, level) || !readScript(keys, script)) return 1;
    GameController& gc = environment.play(level);
    environment.run(script);
    std::printf("hash %08x\nframes %d\nstate %d\noutcome %d\nscore %d\n", environment.stateHash(), environment.frames,
                gc.state, environment.manager->outcome(), gc.currentResult.score);
    return 0;
}

int list(const std::string& description) {
    levelbuild::LevelEnvironment environment;
    levelbuild::BuiltLevel level;
    if (!build(description, level)) return 1;
    GameController& gc = environment.play(level);
    PropertyContainer props(u"", 0);
    gc.addPropertiesTo(&props);
    for (const auto& [uid, o] : environment.server().objectMap) {
        const auto* placed = zub_cast<EditorObject>(o);
        if (!placed) continue;
        // The controller's list that holds it.
        WString list = u"-";
        for (ZubBase* c = props.firstChild; c; c = c->nextSibling)
            if (auto* p = zub_cast<PropertyPointer>(c); p && p->get() && p->get() == o->parent)
                list = WString(p->getName());
        std::printf("%6d %-20s %9.1f %9.1f %7.1f  %s\n", uid, o->getClass()->getTypeName(), placed->position.x,
                    placed->position.y, placed->position.z, wideToNarrow(list).c_str());
    }
    return 0;
}

int picture(const std::string& png, const std::string& keys, int frame, const std::string& fonts,
            const std::string& description) {
    levelbuild::LevelEnvironment environment(1, levelbuild::LevelEnvironment::Art::Painted);
    if (!fonts.empty() && !environment.loadFonts(fonts))
        std::fprintf(stderr, "levelbuild: no glyph pages under %s; the picture has no text\n",
                     levelbuild::printable(fonts).c_str());
    levelbuild::BuiltLevel level;
    levelbuild::KeyScript script;
    if (!build(description, level) || (!keys.empty() && !readScript(keys, script))) return 1;
    environment.install(level);
    std::string error;
    if (!levelbuild::drawLevelPicture(environment, script, frame, png, error, level.number)) {
        std::fprintf(stderr, "levelbuild: %s\n", error.c_str());
        return 1;
    }
    std::fprintf(reportFor(png), "levelbuild: %s, frame %d\n", levelbuild::printable(png).c_str(), environment.frames);
    return 0;
}

int record(const std::string& planFile, const std::string& description, const std::string& out, bool verbose) {
    levelbuild::BuiltLevel level;
    levelbuild::Plan plan;
    std::string text, error;
    {
        // The environment's configuration holds the default bindings.
        levelbuild::LevelEnvironment environment;
        if (!build(description, level) || !readText(planFile, text)) return 1;
        if (!levelbuild::parsePlan(text, planFile, environment.configuration(), plan, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }
    levelbuild::Recording run;
    const bool ok = levelbuild::recordPlan(plan, level, run, error, verbose ? stderr : nullptr);
    // A run that missed what the plan expects, or one whose plan stopped
    // on the way, is written all the same, to be looked at.
    if (!run.keys.empty()) {
        if (!out.empty()) {
            if (!writeFile(out, run.keys.data(), run.keys.size())) return 1;
        } else {
            std::fwrite(run.keys.data(), 1, run.keys.size(), stdout);
            if (!outputArrived()) return 1;
        }
    }
    if (!ok) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", error.c_str());
        if (run.failedAttempt && !run.keys.empty())
            std::fprintf(stderr,
                         "levelbuild: %s holds the FAILED ATTEMPT, the keys up to frame %d where the plan stopped; "
                         "levelbuild --play %s %s --watch LABEL,... shows what happened\n",
                         out.empty() ? "standard output" : levelbuild::printable(out).c_str(), run.frames,
                         out.empty() ? "KEYS" : levelbuild::printable(out).c_str(),
                         levelbuild::printable(description).c_str());
        return 1;
    }
    if (!plan.expectedScore)
        std::fprintf(stderr,
                     "levelbuild: %s has no 'expect score LOW HIGH': neither has the key script, and the "
                     "level checks need one\n",
                     levelbuild::printable(planFile).c_str());
    std::fprintf(stderr, "levelbuild: %s recorded: %d frames, state %d, outcome %d, score %d, hash %08x\n",
                 out.empty() ? "the key script" : levelbuild::printable(out).c_str(), run.frames, run.state,
                 run.outcome, run.score, run.hash);
    return 0;
}

int classes(const std::vector<std::string>& only) {
    levelbuild::LevelEnvironment environment;
    const std::vector<levelbuild::ClassDoc> docs = levelbuild::documentClasses();
    for (const std::string& name : only)
        if (std::none_of(docs.begin(), docs.end(), [&](const levelbuild::ClassDoc& d) { return d.name == name; })) {
            std::fprintf(stderr, "levelbuild: %s is no class a description can place\n",
                         levelbuild::printable(name).c_str());
            return 1;
        }
    std::fputs(levelbuild::formatClassReference(docs, only).c_str(), stdout);
    return 0;
}

int play(const std::string& keys, const std::string& description, const levelbuild::PlayTrace& trace) {
    levelbuild::LevelEnvironment environment;
    levelbuild::BuiltLevel level;
    levelbuild::KeyScript script;
    if (!build(description, level) || !readScript(keys, script)) return 1;
    std::string out, error;
    if (!levelbuild::tracePlay(environment, level, script, trace, out, error)) {
        std::fprintf(stderr, "levelbuild: %s (%s)\n", error.c_str(), levelbuild::printable(description).c_str());
        return 1;
    }
    std::fputs(out.c_str(), stdout);
    return 0;
}

int run(const std::vector<std::string>& args) {
    if (args.empty()) return usage();
    if (args[0] == "--hash") return args.size() == 3 ? hash(args[1], args[2]) : usage();
    if (args[0] == "--list") return args.size() == 2 ? list(args[1]) : usage();
    if (args[0] == "--record") {
        if (args.size() < 3) return usage();
        std::string out;
        bool verbose = false;
        for (size_t i = 3; i < args.size(); ++i) {
            if (args[i] == "--out" && i + 1 < args.size()) out = args[++i];
            else if (args[i] == "--verbose") verbose = true;
            else return usage();
        }
        return record(args[1], args[2], out, verbose);
    }
    if (args[0] == "--check") {
        if (args.size() < 2) return usage();
        return levelbuild::checkLevels(std::vector<std::string>(args.begin() + 1, args.end()), stdout, stderr);
    }
    if (args[0] == "--classes") return classes(std::vector<std::string>(args.begin() + 1, args.end()));
    if (args[0] == "--play") {
        if (args.size() < 3 || args.size() % 2 == 0) return usage();
        levelbuild::PlayTrace trace;
        for (size_t i = 3; i + 1 < args.size(); i += 2) {
            std::istringstream list(args[i + 1]);
            if (args[i] == "--frames")
                for (std::string n; std::getline(list, n, ',');) trace.frames.push_back(std::atoi(n.c_str()));
            else if (args[i] == "--watch")
                for (std::string n; std::getline(list, n, ',');) trace.watch.push_back(n);
            else return usage();
        }
        return play(args[1], args[2], trace);
    }
    if (args[0] == "--picture") {
        if (args.size() < 3) return usage();
        std::string keys, fonts;
        int frame = -1;
        size_t i = 2;
        for (; i + 1 < args.size(); i += 2) {
            if (args[i] == "--keys") keys = args[i + 1];
            else if (args[i] == "--fonts") fonts = args[i + 1];
            else if (args[i] == "--frame") frame = std::atoi(args[i + 1].c_str());
            else return usage();
        }
        if (i + 1 != args.size()) return usage();
        return picture(args[1], keys, frame, fonts, args.back());
    }
    std::string out, maps;
    std::vector<std::string> descriptions;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--out" && i + 1 < args.size()) out = args[++i];
        else if (args[i] == "--maps" && i + 1 < args.size()) maps = args[++i];
        else if (args[i].rfind("--", 0) == 0) return usage();
        else descriptions.push_back(args[i]);
    }
    if (descriptions.empty()) return usage();
    return buildAll(out, maps, descriptions);
}

}  // namespace

int main(int argc, char** argv) {
    // Nothing the run opens takes the place of a standard stream it was
    // started without.
    openClosedStandardStreams();
    levelbuild::watchStandardOutput();
    // Fatal errors of the game's code print and end without a message box.
    ErrorManager::bTestMode = true;
    levelbuild::endCleanlyOnSignals();
    const int code = run(std::vector<std::string>(argv + 1, argv + argc));
    // What was printed on standard output and did not arrive fails the run.
    return levelbuild::finishRun(outputArrived() ? code : 1);
}
