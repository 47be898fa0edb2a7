#pragma once
// One player's progress: a name, a random identity, the best result of each
// of the 32 levels with the valley map's per-level totals, a total record and
// the level chosen last. Stored inside the profile file (ProfileManager):
// 5288 bytes, written field by field.
//
// Also the fixed tables that turn a level number 0..31 into its level file,
// title, music and minimap image. Levels come in eight valleys "a".."h" of
// four levels numbered 1, 2, 3 and 9; the fourth is the valley's bonus level.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "records/LevelResult.h"
#include "util/WString.h"

class Language;
class RecordReader;
class RecordWriter;

inline constexpr int32_t NUMLEVELS = 32;

struct ProfileData {
    static constexpr size_t kRecordSize = 5288;
    static constexpr int32_t kMaxNameLength = 16;  // wide characters

    // A fresh profile: reset (a new identity is drawn, level 0 unlocked).
    ProfileData();

    // Empty name, a new identity, every record reset, current level 0, level
    // 0 unlocked.
    void reset();
    // Every byte zero, as a free slot (no identity is drawn).
    void clear();

    void write(RecordWriter& out) const;
    void read(RecordReader& in);

    // "./levels/a1.lev" .. "./levels/h9.lev"; any other number is fatal.
    static WString levelNumberToFile(int32_t levelNumber);
    // The number of the level whose file levelNumberToFile names
    // ("./levels/b1.lev" gives 4); -1 for any other file.
    static int32_t levelFileToNumber(std::u16string_view file);
    // The text LEVELTITLE0 + n of the given (or the engine's current)
    // language; a number outside 0..31 is fatal.
    static WString levelNumberToTitle(int32_t levelNumber);
    static WString levelNumberToTitle(int32_t levelNumber, const Language& language);
    // The music resource: 31 "musicMenu", 19 "musicNone", else by n mod 4
    // "musicGame1/2/3" and "musicBonus"; a negative number is fatal.
    static WString levelNumberToMusic(int32_t levelNumber);
    // "minimap%02d".
    static WString levelNumberToMinimap(int32_t levelNumber);

    char name[256] = {};     // narrow; empty = free slot
    uint32_t profileId = 0;  // random identity
    uint8_t pad104[4] = {};
    LevelResult levels[NUMLEVELS];  // best result and valley totals of level n
    LevelResult total;              // sum of the 32 best results (valley map)
    int32_t currentLevel = 0;       // the level chosen last on the valley map
    uint8_t pad14a4[4] = {};
};

static_assert(sizeof(ProfileData) == ProfileData::kRecordSize);
static_assert(offsetof(ProfileData, profileId) == 256 && offsetof(ProfileData, levels) == 264 &&
              offsetof(ProfileData, total) == 5128 && offsetof(ProfileData, currentLevel) == 5280);
