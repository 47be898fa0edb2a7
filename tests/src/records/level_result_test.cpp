// Level results: the byte layout, the scoring rule, the best-of merge and the
// profile total.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "records/LevelResult.h"
#include "records/RecordBytes.h"

namespace {

std::vector<uint8_t> bytesOf(const LevelResult& r) {
    std::vector<uint8_t> data(LevelResult::kRecordSize, 0xEE);
    RecordWriter out(data.data(), data.size());
    r.write(out);
    EXPECT_TRUE(out.atEnd());
    return data;
}

int32_t i32At(const std::vector<uint8_t>& b, size_t off) {
    return static_cast<int32_t>(uint32_t{b[off]} | uint32_t{b[off + 1]} << 8 | uint32_t{b[off + 2]} << 16 |
                                uint32_t{b[off + 3]} << 24);
}

double f64At(const std::vector<uint8_t>& b, size_t off) {
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= uint64_t{b[off + i]} << (8 * i);
    double v;
    std::memcpy(&v, &bits, 8);
    return v;
}

// A normal level with nothing to measure but what the test sets.
LevelResult normalLevel() {
    LevelResult r;
    r.reset();
    return r;
}

LevelResult scored(LevelResult r) {
    r.computeScore();
    return r;
}

}  // namespace

TEST(LevelResult, FieldsSitAtTheirOffsetsLittleEndianAndResetClearsThem) {
    LevelResult r;
    r.bonusLevel = 1;
    r.points = 0x01020304;
    r.time = 61.5;
    r.apples = 20;
    r.applesLost = 5;
    r.timePoints = 77;
    r.score = 850;
    r.perfect[7] = 1;
    r.newRecord[0] = 1;
    r.attempts = 9;
    r.totalTime = 1234.25;
    r.totalApplesLost = 4;
    r.unlocked = 1;
    r.frameRate = 99;
    const std::vector<uint8_t> b = bytesOf(r);
    EXPECT_EQ(b[0x00], 1);
    EXPECT_EQ(b[0x04], 0x04);
    EXPECT_EQ(b[0x07], 0x01);
    EXPECT_EQ(f64At(b, 0x08), 61.5);
    EXPECT_EQ(i32At(b, 0x18), 20);
    EXPECT_EQ(i32At(b, 0x3C), 5);
    EXPECT_EQ(i32At(b, 0x40), 77);
    EXPECT_EQ(i32At(b, 0x5C), 850);
    EXPECT_EQ(b[0x67], 1);
    EXPECT_EQ(b[0x68], 1);
    EXPECT_EQ(i32At(b, 0x70), 9);
    EXPECT_EQ(f64At(b, 0x78), 1234.25);
    EXPECT_EQ(i32At(b, 0x84), 4);
    EXPECT_EQ(b[0x89], 1);
    EXPECT_EQ(i32At(b, 0x8C), 99);
    LevelResult back;
    RecordReader in(b.data(), b.size());
    back.read(in);
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(bytesOf(back), b);

    back.reset();
    const std::vector<uint8_t> cleared = bytesOf(back);
    for (size_t i = 0; i < cleared.size(); ++i) EXPECT_EQ(cleared[i], i == 0x90 ? 1 : 0) << "byte " << i;
}

TEST(LevelResultScore, TimePointsAgainstParTime) {
    LevelResult r = normalLevel();
    r.parTime = 60.0;
    r.time = 61.0;
    EXPECT_EQ(scored(r).timePoints, 100);
    EXPECT_EQ(scored(r).perfect[LevelResult::PERFECT_TIME], 1);
    r.time = 90.0;  // trunc((90 - 120) / (61 - 120) x 100)
    EXPECT_EQ(scored(r).timePoints, 50);
    EXPECT_EQ(scored(r).perfect[LevelResult::PERFECT_TIME], 0);
    r.time = 500.0;
    EXPECT_EQ(scored(r).timePoints, 0);
    r.parTime = 1.0;  // a par time of 1 gives none
    r.time = 0.5;
    EXPECT_EQ(scored(r).timePoints, 0);
}

TEST(LevelResultScore, ApplesLostApplesAndBonusApples) {
    LevelResult r = normalLevel();
    r.apples = 20;
    r.applesGathered = 20;
    LevelResult s = scored(r);
    EXPECT_EQ(s.applePoints, 600);  // all apples, nothing else to measure: 1000
    EXPECT_EQ(s.score, 1000);
    const uint8_t expected[8] = {0, 1, 0, 0, 0, 1, 0, 1};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(s.perfect[i], expected[i]) << "flag " << i;
    r.applesGathered = 15;
    r.applesLost = 5;  // lost apples cost apple points only
    s = scored(r);
    EXPECT_EQ(s.applePoints, 450);
    EXPECT_EQ(s.applesLostPoints, 25);
    EXPECT_EQ(s.score, 850);
    // Bonus apples share the apple maximum.
    r = normalLevel();
    r.apples = 10;
    r.applesGathered = 10;
    r.bonusApples = 4;
    r.bonusApplesGathered = 2;
    s = scored(r);
    EXPECT_EQ(s.applePoints, 500);
    EXPECT_EQ(s.bonusApplePoints, 50);
    EXPECT_EQ(s.score, 950);
}

TEST(LevelResultScore, BonusLevelCountsOnlySweets) {
    LevelResult r = normalLevel();
    r.bonusLevel = 1;
    r.sweets = 10;
    r.sweetsGathered = 10;
    r.parTime = 60.0;
    r.time = 30.0;
    r.apples = 5;
    r.applesGathered = 5;
    EXPECT_EQ(scored(r).score, 1000);
    EXPECT_EQ(scored(r).perfect[LevelResult::PERFECT_SCORE], 1);
    EXPECT_EQ(scored(r).timePoints, 0);
    EXPECT_EQ(scored(r).perfect[LevelResult::PERFECT_TIME], 0);
    // 0.7f x 1000 in single precision is 700; in double it would truncate to 699.
    r.sweetsGathered = 7;
    EXPECT_EQ(scored(r).sweetPoints, 700);
    EXPECT_EQ(scored(r).score, 700);
}

TEST(LevelResultScore, LivesLostStepsOfAQuarterAndThirdsTruncateInSinglePrecision) {
    const int32_t expected[] = {100, 75, 50, 25, 0, 0};
    for (int32_t lost = 0; lost < 6; ++lost) {
        LevelResult r = normalLevel();
        r.livesLost = lost;
        EXPECT_EQ(scored(r).livesPoints, expected[lost]) << lost << " lives lost";
    }
    LevelResult r = normalLevel();
    r.secrets = 3;
    r.secretsFound = 2;
    EXPECT_EQ(scored(r).secretPoints, 66);
}

TEST(LevelResultScore, DamagedCountsStayWithinTheRule) {
    LevelResult r = normalLevel();
    r.apples = 1;
    r.applesGathered = std::numeric_limits<int32_t>::max();
    r.sweets = 2;
    r.sweetsGathered = -7;
    r.livesLost = std::numeric_limits<int32_t>::min();
    r.applesLost = std::numeric_limits<int32_t>::max();
    r.parTime = 10.0;
    r.time = std::nan("");
    const LevelResult s = scored(r);
    EXPECT_EQ(s.applePoints, 600);
    EXPECT_EQ(s.sweetPoints, 0);
    EXPECT_EQ(s.timePoints, 0);
    EXPECT_EQ(s.applesLostPoints, 100);
    EXPECT_GE(s.score, 0);
    EXPECT_LE(s.score, 1000);
}

TEST(LevelResultMerge, FirstAttemptIsTakenWholeThenOnlyBetterTimes) {
    LevelResult best = normalLevel();
    LevelResult attempt = normalLevel();
    attempt.points = 300;
    attempt.parTime = 60.0;
    attempt.time = 75.0;
    attempt.apples = 10;
    attempt.applesGathered = 8;
    attempt.livesLost = 2;
    attempt.applesLost = 2;
    attempt.frameRate = 97;
    best.mergeBest(attempt);
    EXPECT_EQ(best.empty, 0);
    EXPECT_EQ(best.time, 75.0);
    EXPECT_EQ(best.livesLost, 2);
    EXPECT_EQ(best.frameRate, 97);
    const uint8_t expected[8] = {1, 1, 1, 0, 0, 0, 1, 1};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(best.newRecord[i], expected[i]) << "flag " << i;
    EXPECT_EQ(best.score, scored(attempt).score);
    // More points but slower keeps the old time.
    attempt.points = 400;
    attempt.time = 80.0;
    best.mergeBest(attempt);
    EXPECT_EQ(best.points, 400);
    EXPECT_EQ(best.time, 75.0);
    EXPECT_EQ(best.newRecord[LevelResult::RECORD_TIME], 0);
}

TEST(LevelResultMerge, EachFieldIsItsOwnBest) {
    LevelResult best = normalLevel();
    best.attempts = 4;
    best.totalTime = 400.0;
    best.completed = 1;
    best.unlocked = 1;
    LevelResult a = normalLevel();
    a.points = 500;
    a.parTime = 50.0;
    a.time = 60.0;
    a.apples = 10;
    a.applesGathered = 10;
    a.sweets = 5;
    a.sweetsGathered = 1;
    a.secrets = 2;
    a.secretsFound = 2;
    a.livesLost = 3;
    a.applesLost = 0;
    a.frameRate = 90;
    best.mergeBest(a);

    LevelResult b = normalLevel();
    b.points = 400;
    b.parTime = 55.0;  // a changed par time is always taken
    b.time = 50.0;
    b.apples = 12;  // totals always come from the attempt
    b.applesGathered = 9;
    b.sweets = 6;
    b.sweetsGathered = 4;
    b.secrets = 2;
    b.secretsFound = 1;
    b.livesLost = 1;
    b.applesLost = 3;
    b.frameRate = 95;
    best.mergeBest(b);

    EXPECT_EQ(best.points, 500);
    EXPECT_EQ(best.parTime, 55.0);
    EXPECT_EQ(best.time, 50.0);
    EXPECT_EQ(best.apples, 12);
    EXPECT_EQ(best.applesGathered, 10);
    EXPECT_EQ(best.sweetsGathered, 4);
    EXPECT_EQ(best.secretsFound, 2);
    EXPECT_EQ(best.livesLost, 1);
    EXPECT_EQ(best.applesLost, 0);
    EXPECT_EQ(best.frameRate, 90);
    const uint8_t expected[8] = {0, 1, 0, 0, 1, 0, 1, 0};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(best.newRecord[i], expected[i]) << "flag " << i;
    // The valley fields are not touched.
    EXPECT_EQ(best.attempts, 4);
    EXPECT_EQ(best.totalTime, 400.0);
    EXPECT_EQ(best.unlocked, 1);
    // The score is computed from the merged fields, not taken from an attempt.
    EXPECT_NE(best.score, scored(a).score);
    EXPECT_NE(best.score, scored(b).score);
}

TEST(LevelResultMerge, BonusLevelTimeAndLivesFlags) {
    LevelResult best = normalLevel();
    LevelResult a = normalLevel();
    a.bonusLevel = 1;
    a.parTime = 30.0;
    a.time = 40.0;
    a.livesLost = 1;
    best.mergeBest(a);
    EXPECT_EQ(best.time, 40.0);
    EXPECT_EQ(best.newRecord[LevelResult::RECORD_TIME], 0);  // not below par
    EXPECT_EQ(best.newRecord[LevelResult::RECORD_LIVES_LOST], 0);
    LevelResult b = a;
    b.time = 25.0;
    b.livesLost = 0;
    best.mergeBest(b);
    EXPECT_EQ(best.time, 25.0);
    EXPECT_EQ(best.livesLost, 0);
    EXPECT_EQ(best.newRecord[LevelResult::RECORD_TIME], 1);
    EXPECT_EQ(best.newRecord[LevelResult::RECORD_LIVES_LOST], 0);
}

TEST(LevelResultTotal, TwoLevelsAreScoredAsOneNormalLevel) {
    LevelResult total = normalLevel();
    LevelResult one = normalLevel();
    one.points = 100;
    one.parTime = 60.0;
    one.time = 61.0;
    one.apples = 10;
    one.applesGathered = 10;
    one.frameRate = 100;
    one.computeScore();
    LevelResult two = normalLevel();
    two.bonusLevel = 1;
    two.points = 50;
    two.parTime = 40.0;
    two.time = 79.0;
    two.apples = 10;
    two.applesGathered = 5;
    two.sweets = 4;
    two.sweetsGathered = 4;
    two.livesLost = 2;
    two.applesLost = 1;
    two.frameRate = 90;
    two.computeScore();
    total.bonusLevel = 1;  // whatever it held, the total is a normal level
    total.accumulate(one);
    total.accumulate(two);
    EXPECT_EQ(total.empty, 0);
    EXPECT_EQ(total.bonusLevel, 0);
    EXPECT_EQ(total.time, 140.0);
    EXPECT_EQ(total.frameRate, 190);
    // time: (140 - 200) / (101 - 200) = 0.606 -> 60; apples 15/20 -> 450;
    // sweets 100; secrets 100 (none); lives 2 lost -> 50.
    EXPECT_EQ(total.timePoints, 60);
    EXPECT_EQ(total.score, 60 + 450 + 100 + 100 + 50);
    EXPECT_NE(total.score, one.score + two.score);
}

TEST(LevelResultTotal, SumsFromDamagedRecordsSaturate) {
    LevelResult total = normalLevel();
    LevelResult big = normalLevel();
    big.points = std::numeric_limits<int32_t>::max();
    big.apples = std::numeric_limits<int32_t>::max();
    big.applesLost = std::numeric_limits<int32_t>::min();
    total.accumulate(big);
    total.accumulate(big);
    EXPECT_EQ(total.points, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(total.apples, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(total.applesLost, std::numeric_limits<int32_t>::min());
    EXPECT_GE(total.score, 0);
    EXPECT_LE(total.score, 1000);
}

TEST(LevelResultAttempts, AttemptsAddUpAndStopAtTheirLargestValue) {
    LevelResult best;
    best.reset();
    LevelResult run;
    run.reset();
    run.time = 12.5;
    run.livesLost = 2;
    run.applesLost = 3;
    run.score = 700;
    best.addAttempt(run);
    best.addAttempt(run);
    EXPECT_EQ(best.attempts, 2);
    EXPECT_DOUBLE_EQ(best.totalTime, 25.0);
    EXPECT_EQ(best.totalLivesLost, 4);
    EXPECT_EQ(best.totalApplesLost, 6);
    EXPECT_EQ(best.score, 0);  // the best result itself is not touched
    EXPECT_EQ(best.empty, 1);

    // Counts read from a file may stand at the top already.
    constexpr int32_t top = std::numeric_limits<int32_t>::max();
    best.attempts = best.totalLivesLost = best.totalApplesLost = top;
    best.addAttempt(run);
    EXPECT_EQ(best.attempts, top);
    EXPECT_EQ(best.totalLivesLost, top);
    EXPECT_EQ(best.totalApplesLost, top);
}
