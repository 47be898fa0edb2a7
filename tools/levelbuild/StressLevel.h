#pragma once
// A stress level for measuring: every class of object the level editor
// offers for placing, many times over, along one long level. It is written
// as a level description (LevelDescription.h) and built by the level
// builder like any level; it is never shipped.
//
// The level is a row of cells, each holding one object of every class that
// a level has many of (animals on their paths, platforms, plants, pickups,
// areas, branches with their bark, ...), the cell's path and branch among
// them; the classes a level holds once (the hero, her house and its parts,
// the piglets) are those of the starter content and of the level's set-up.
// The hero starts at the left end.
#include <string>
#include <vector>

class RuntimeClass;

namespace levelbuild {
struct BuiltLevel;
}

namespace levelbuild {

// The description of a stress level with `objects` placed objects (the
// starter content not counted).
std::string stressLevelDescription(int objects);

// Builds that description as buildLevel builds one, under the name
// "stress" (played as level 0), then gives the paths their points, which a
// description cannot: every path without points of its own (each cell's
// path, which its animals, platform and follower travel, its waterfall and
// its sweet path) an arch across the cell. Needs a LevelEnvironment.
bool buildStressLevel(int objects, BuiltLevel& out, std::string& error);

}  // namespace levelbuild
