#pragma once
// Profiles for the pictures of the valley map. tenLevelsDone: ten levels
// into the game, as the map's stored picture and the screen tour show it:
// levels 0 .. 9 completed with ratings rising from about 40%, the eleventh
// unlocked and current, the totals rebuilt. everyLevelOpen: every marker
// and text of the map on show.
#include <cstdint>

#include "records/ProfileData.h"

namespace profileseed {

inline void tenLevelsDone(ProfileData& p) {
    for (int32_t i = 0; i < 10; ++i) {
        LevelResult& r = p.levels[i];
        r.apples = 10;
        r.applesGathered = 4 + i * 2 / 3;
        r.sweets = 5;
        r.sweetsGathered = i % 6;
        r.secrets = i % 3;
        r.secretsFound = r.secrets;
        r.time = 40.0 + i * 7.0;
        r.parTime = 60.0;
        r.livesLost = i % 2;
        r.points = 1000 + 350 * i;
        r.computeScore();
        r.empty = 0;
        r.completed = r.unlocked = 1;
    }
    p.levels[10].unlocked = 1;
    p.currentLevel = 10;
    p.total.reset();
    for (const LevelResult& r : p.levels) p.total.accumulate(r);
}

// Every level open: the first 28 finished with ratings from low to full
// marks (pies of every size, perfect badges), the winter's last four only
// unlocked (markers without a rating).
inline void everyLevelOpen(ProfileData& p) {
    for (int32_t i = 0; i < NUMLEVELS; ++i) {
        LevelResult& r = p.levels[i];
        r.unlocked = 1;
        if (i >= 28) continue;
        const bool full = i % 7 == 3;
        r.apples = 10;
        r.applesGathered = full ? 10 : 3 + i % 8;
        r.sweets = 4;
        r.sweetsGathered = full ? 4 : i % 5;
        r.secrets = 1;
        r.secretsFound = full ? 1 : i % 2;
        r.time = full ? 30.0 : 40.0 + i * 3.0;
        r.parTime = 60.0;
        r.livesLost = full ? 0 : i % 3;
        r.points = 800 + 250 * i;
        r.computeScore();
        r.empty = 0;
        r.completed = 1;
    }
    p.currentLevel = 28;
    p.total.reset();
    for (const LevelResult& r : p.levels) p.total.accumulate(r);
}
}  // namespace profileseed
