// The report of a level played by its key script (levelbuild --play): the
// hero at the frames asked for, the watched objects under her, the end.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "KeyScript.h"
#include "LevelBuilder.h"
#include "LevelEnvironment.h"
#include "PlayTrace.h"
#include "sys/ErrorManager.h"

namespace {

// The hero runs right along flat ground from frame 500 (when play starts)
// through a sweet lying in her way; an apple hangs in the air out of her
// reach.
const char* const kDescription = R"(
level
    applesNeeded 1
    playingArea -1000 800 1000 -200
terrain
    ground -4096 0  4096 0
    depth 400
edit hero
    position -600 40 0
edit house
    position 300 0 0
edit apple
    position 300 100 0
new Apple ball
    position 0 100 0
new Sweet candy
    position 0 60 0
)";

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

struct Played {
    bool ok = false;
    std::string out, error;
};

Played play(const levelbuild::PlayTrace& trace) {
    levelbuild::LevelEnvironment environment;
    levelbuild::BuiltLevel level;
    levelbuild::KeyScript script;
    Played p;
    EXPECT_TRUE(levelbuild::buildLevel(kDescription, "x1.txt", level, p.error)) << p.error;
    EXPECT_TRUE(script.parse("hold 205 500 900\nend 1200\n", "x1.keys", p.error)) << p.error;
    p.ok = levelbuild::tracePlay(environment, level, script, trace, p.out, p.error);
    return p;
}

}  // namespace

TEST(PlayTrace, ReportsTheHeroAndEachWatchedObjectAtTheFramesAsked) {
    ErrorManager::bTestMode = true;
    levelbuild::PlayTrace trace;
    trace.frames = {600, 700};
    trace.watch = {"candy", "ball"};
    const Played p = play(trace);
    ASSERT_TRUE(p.ok) << p.error;
    const std::vector<std::string> lines = linesOf(p.out);
    // Three reports (the frames asked for and the last) of three lines, and
    // the five lines of the end.
    ASSERT_EQ(lines.size(), 14u) << p.out;
    EXPECT_EQ(lines[0].rfind("frame    600  hero ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("ground  state 4  apples 0"), std::string::npos) << lines[0];
    // The sweet ahead of her, then eaten; the apple where it hangs.
    EXPECT_EQ(lines[1].substr(0, 28), "              candy         ");
    EXPECT_NE(lines[1].find("      0.0"), std::string::npos) << lines[1];
    EXPECT_EQ(lines[2], "              ball                 0.0   100.0");
    EXPECT_EQ(lines[3].rfind("frame    700  hero ", 0), 0u) << lines[3];
    EXPECT_EQ(lines[4], "              candy          gone");
    EXPECT_EQ(lines[5], "              ball                 0.0   100.0");
    EXPECT_EQ(lines[6].rfind("frame   1200  hero ", 0), 0u) << lines[6];
    EXPECT_EQ(lines[7], "              candy          gone");
    EXPECT_EQ(lines[9].rfind("hash ", 0), 0u);
    EXPECT_EQ(lines[10], "frames 1200");
    EXPECT_EQ(lines[12], "outcome 0");
}

TEST(PlayTrace, WithoutFramesReportsEveryHundredthAndWithoutWatchOnlyTheHero) {
    ErrorManager::bTestMode = true;
    const Played p = play({});
    ASSERT_TRUE(p.ok) << p.error;
    const std::vector<std::string> lines = linesOf(p.out);
    // Frames 0, 100 ... 1100, then the last (1200): 13 lines, and the end.
    ASSERT_EQ(lines.size(), 18u) << p.out;
    EXPECT_EQ(lines[0].rfind("frame      0  hero ", 0), 0u);
    EXPECT_EQ(lines[11].rfind("frame   1100  hero ", 0), 0u);
    EXPECT_EQ(lines[12].rfind("frame   1200  hero ", 0), 0u);
}

TEST(PlayTrace, AWatchedLabelTheDescriptionDoesNotGiveStopsIt) {
    ErrorManager::bTestMode = true;
    levelbuild::PlayTrace trace;
    trace.watch = {"ball", "bal"};
    const Played p = play(trace);
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.error, "bal names no object of x1");
    EXPECT_TRUE(p.out.empty());
}
