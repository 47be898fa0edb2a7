#pragma once
// The record of one level: what there was to gather, what the player gathered,
// how long it took, the points of each scoring category and the total score
// (at most 1000), which categories were perfect and which fields of a best
// result the latest attempt improved, plus the attempt totals that the valley
// map keeps.
//
// The game controller fills one record during play, scores it at the level's
// end and merges it into the current profile's best result for the level; the
// valley map sums the 32 best results of a profile into its total record.
//
// The record is part of the profile file, so its 152 bytes are a file layout:
// little-endian, doubles in IEEE 754 binary64, written field by field.
#include <cstddef>
#include <cstdint>

class RecordReader;
class RecordWriter;

struct LevelResult {
    static constexpr size_t kRecordSize = 152;

    // Indices of perfect[].
    enum PerfectFlag : int {
        PERFECT_TIME = 0,
        PERFECT_APPLES = 1,
        PERFECT_BONUS_APPLES = 2,
        PERFECT_SWEETS = 3,
        PERFECT_SECRETS = 4,
        PERFECT_LIVES = 5,
        PERFECT_APPLES_LOST = 6,
        PERFECT_SCORE = 7,  // score = 1000
    };
    // Indices of newRecord[].
    enum RecordFlag : int {
        RECORD_POINTS = 0,
        RECORD_TIME = 1,
        RECORD_APPLES = 2,
        RECORD_BONUS_APPLES = 3,
        RECORD_SWEETS = 4,
        RECORD_SECRETS = 5,
        RECORD_LIVES_LOST = 6,
        RECORD_APPLES_LOST = 7,
    };

    static constexpr int32_t kMaxScore = 1000;

    uint8_t bonusLevel = 0;  // the level is its valley's bonus level
    uint8_t pad01[3] = {};
    int32_t points = 0;          // the in-play points counter
    double time = 0.0;           // seconds taken
    double parTime = 0.0;        // the level's par time in seconds; 0 = none
    int32_t apples = 0;          // apples required
    int32_t applesGathered = 0;  // required apples gathered
    int32_t bonusApples = 0;
    int32_t bonusApplesGathered = 0;
    int32_t sweets = 0;
    int32_t sweetsGathered = 0;
    int32_t secrets = 0;  // secret areas
    int32_t secretsFound = 0;
    int32_t livesLost = 0;
    int32_t applesLost = 0;  // apples spoiled or eaten
    // Category points, written by computeScore.
    int32_t timePoints = 0;
    int32_t applePoints = 0;
    int32_t bonusApplePoints = 0;
    int32_t sweetPoints = 0;
    int32_t secretPoints = 0;
    int32_t livesPoints = 0;
    int32_t applesLostPoints = 0;  // kept, but not part of score
    int32_t score = 0;             // the six category points above but apples lost
    uint8_t perfect[8] = {};       // see PerfectFlag
    uint8_t newRecord[8] = {};     // see RecordFlag; set by mergeBest
    // Kept by the valley map.
    int32_t attempts = 0;
    uint8_t pad74[4] = {};
    double totalTime = 0.0;
    int32_t totalLivesLost = 0;
    int32_t totalApplesLost = 0;
    uint8_t completed = 0;
    uint8_t unlocked = 0;
    uint8_t pad8a[2] = {};
    int32_t frameRate = 0;  // average game ticks per second of the attempt
    uint8_t empty = 0;      // 1 after reset: nothing merged or added yet
    uint8_t pad91[7] = {};

    // Clears every field; empty = 1.
    void reset();
    // Fills the seven category points, score and perfect from the counts.
    void computeScore();
    // Merges an attempt into this best result, field by field (see the .cpp).
    void mergeBest(const LevelResult& attempt);
    // Adds another result to this one and scores the sum as one normal level.
    void accumulate(const LevelResult& other);
    // Books one attempt at the level into the valley map's totals: one more
    // attempt, and the run's time, lives lost and apples lost added (the
    // counts stop at their largest value).
    void addAttempt(const LevelResult& run);
    // Brings times read from a file into range: a best time that is not a
    // number or negative (which no attempt could ever beat) becomes infinite,
    // no time yet, so the next finished attempt sets it; a total time that is
    // not a number or negative becomes 0. Returns how many were changed.
    int repairLoadedTimes();

    // The 152 bytes of the file layout.
    void write(RecordWriter& out) const;
    void read(RecordReader& in);
};

static_assert(sizeof(LevelResult) == LevelResult::kRecordSize);
static_assert(offsetof(LevelResult, points) == 0x04 && offsetof(LevelResult, apples) == 0x18 &&
              offsetof(LevelResult, timePoints) == 0x40 && offsetof(LevelResult, score) == 0x5C &&
              offsetof(LevelResult, perfect) == 0x60 && offsetof(LevelResult, attempts) == 0x70 &&
              offsetof(LevelResult, totalTime) == 0x78 && offsetof(LevelResult, completed) == 0x88 &&
              offsetof(LevelResult, frameRate) == 0x8C && offsetof(LevelResult, empty) == 0x90);
