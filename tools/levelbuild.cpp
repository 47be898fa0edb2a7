// levelbuild: builds level files from their text descriptions
// (content/levels/<name>.txt, see tools/levelbuild/LevelDescription.h) through
// the game's own classes, and plays them.
//
//   levelbuild [--out DIR] DESCRIPTION...
//       writes DIR/<name>.lev (DIR: the current folder) for each description.
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
//
// A description or script that cannot be read stops the program with
// "<file>:<line>: <what is wrong>" and exit code 1.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "KeyScript.h"
#include "LevelBuilder.h"
#include "LevelEnvironment.h"
#include "LevelPicture.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "object/Property.h"
#include "world/EditorObject.h"
#include "platform/AtomicFile.h"
#include "sys/ErrorManager.h"

namespace fs = std::filesystem;

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: levelbuild [--out DIR] DESCRIPTION...\n"
                 "       levelbuild --hash DESCRIPTION KEYS\n"
                 "       levelbuild --list DESCRIPTION\n"
                 "       levelbuild --picture PNG [--keys KEYS] [--frame N] [--fonts CONTENT_DIR] DESCRIPTION\n");
    return 2;
}

bool readText(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "levelbuild: %s: cannot be read\n", path.c_str());
        return false;
    }
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

// The description's level file, or false after the error was printed.
bool build(const std::string& path, std::vector<uint8_t>& level) {
    std::string text, error;
    if (!readText(path, text)) return false;
    if (!levelbuild::buildLevelFile(text, path, level, error)) {
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

int buildAll(const std::string& out, const std::vector<std::string>& descriptions) {
    std::error_code ec;
    if (!out.empty()) fs::create_directories(out, ec);
    levelbuild::LevelEnvironment environment;
    for (const std::string& path : descriptions) {
        std::vector<uint8_t> level;
        if (!build(path, level)) return 1;
        const std::string target = (fs::path(out.empty() ? "." : out) / fs::path(path).stem()).string() + ".lev";
        std::string reason;
        if (!AtomicFile::writeAll(target, level.data(), level.size(), &reason)) {
            std::fprintf(stderr, "levelbuild: %s\n", reason.c_str());
            return 1;
        }
        std::printf("levelbuild: %s, %zu bytes\n", target.c_str(), level.size());
    }
    return 0;
}

int hash(const std::string& description, const std::string& keys) {
    levelbuild::LevelEnvironment environment;
    std::vector<uint8_t> level;
    levelbuild::KeyScript script;
    if (!build(description, level) || !readScript(keys, script)) return 1;
    environment.writeLevelFile("a1", level);
    GameController& gc = environment.play(0);
    environment.run(script);
    std::printf("hash %08x\nframes %d\nstate %d\noutcome %d\nscore %d\n", environment.stateHash(), environment.frames,
                gc.state, environment.manager->outcome(), gc.currentResult.score);
    return 0;
}

int list(const std::string& description) {
    levelbuild::LevelEnvironment environment;
    std::vector<uint8_t> level;
    if (!build(description, level)) return 1;
    environment.writeLevelFile("a1", level);
    GameController& gc = environment.play(0);
    PropertyContainer props(u"", 0);
    gc.addPropertiesTo(&props);
    for (const auto& [uid, o] : environment.server().objectMap) {
        const auto* placed = zub_cast<EditorObject>(o);
        if (!placed) continue;
        // The controller's list that holds it.
        WString list = u"-";
        for (ZubBase* c = props.firstChild; c; c = c->nextSibling)
            if (auto* p = zub_cast<PropertyPointer>(c); p && p->get() && p->get() == o->parent) list = WString(p->getName());
        std::printf("%6d %-20s %9.1f %9.1f %7.1f  %s\n", uid, o->getClass()->getTypeName(), placed->position.x,
                    placed->position.y, placed->position.z, wideToNarrow(list).c_str());
    }
    return 0;
}

int picture(const std::string& png, const std::string& keys, int frame, const std::string& fonts,
            const std::string& description) {
    levelbuild::LevelEnvironment environment(1, levelbuild::LevelEnvironment::Art::Painted);
    if (!fonts.empty() && !environment.loadFonts(fonts))
        std::fprintf(stderr, "levelbuild: no glyph pages under %s; the picture has no text\n", fonts.c_str());
    std::vector<uint8_t> level;
    levelbuild::KeyScript script;
    if (!build(description, level) || (!keys.empty() && !readScript(keys, script))) return 1;
    environment.writeLevelFile("a1", level);
    std::string error;
    if (!levelbuild::drawLevelPicture(environment, script, frame, png, error)) {
        std::fprintf(stderr, "levelbuild: %s\n", error.c_str());
        return 1;
    }
    std::printf("levelbuild: %s, frame %d\n", png.c_str(), environment.frames);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Fatal errors of the game's code print and end without a message box.
    ErrorManager::bTestMode = true;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage();
    if (args[0] == "--hash") return args.size() == 3 ? hash(args[1], args[2]) : usage();
    if (args[0] == "--list") return args.size() == 2 ? list(args[1]) : usage();
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
    std::string out;
    std::vector<std::string> descriptions;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--out" && i + 1 < args.size()) out = args[++i];
        else if (args[i].rfind("--", 0) == 0) return usage();
        else descriptions.push_back(args[i]);
    }
    if (descriptions.empty()) return usage();
    return buildAll(out, descriptions);
}
